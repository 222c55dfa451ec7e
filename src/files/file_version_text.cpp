#include "files/file_version_text.h"

void CopyFileVersionText(const char *text, size_t length, char (&answer)[kFileVersionAnswerSize])
{
    size_t copied = 0;
    for (; copied < length && copied < kFileVersionChars && text[copied]; ++copied) answer[copied] = text[copied];
    answer[copied] = '\0';
}
