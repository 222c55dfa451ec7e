/* A C host of QIMAPI.dll: calls a few exports through the import library and takes over the
 * result strings they hand back. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <qimapi.h>

/* Takes over a result string: copies its text into memory of our own and frees the block, which
 * is ours from the moment the export returned it. NULL when the export had no memory for it. */
static char *TakeResultString(HGLOBAL block)
{
    const char *text;
    char *copy;
    if (!block) return NULL;
    text = (const char *)GlobalLock(block);
    copy = text ? (char *)malloc(strlen(text) + 1) : NULL;
    if (copy) strcpy(copy, text);
    GlobalUnlock(block);
    GlobalFree(block);
    return copy;
}

static void PrintResultString(const char *call, HGLOBAL block)
{
    char *text = TakeResultString(block);
    printf("%s => %s\n", call, text ? text : "(no memory)");
    free(text);
}

int main(void)
{
    printf("QimAPIVersion() => %d\n", QimAPIVersion());
    PrintResultString("GetWindowsDir()", GetWindowsDir());
    /* GetDriveType under the name that does not clash with <windows.h>'s. */
    PrintResultString("GetDriveType(\"C:\\\")", GetDriveTypeName("C:\\"));
    PrintResultString("FindDrive(\"A\", \"windows\\win.ini\")", FindDrive("A", "windows\\win.ini"));
    PrintResultString("ReadIni(\"Example\", \"Missing\", \"the default\", \"qimapi_example.ini\")",
                      ReadIni("Example", "Missing", "the default", "qimapi_example.ini"));
    return 0;
}
