// String values in the registry: the default value of a key named by its path below a root key
// that scripts choose by name.
#include "frame/frame.h"
#include "frame/qimapi.h"

// Root keys by script word, as the 32-bit numbers that name the predefined handles (sign-extended
// where handles are 64 bits wide). Any other text, the empty one included, gives
// HKEY_CLASSES_ROOT.
static const Keyword kBranches[] = {
    {"HKEY_CURRENT_USER", static_cast<int>(0x80000001)},
    {"HKEY_LOCAL_MACHINE", static_cast<int>(0x80000002)},
    {"HKEY_USERS", static_cast<int>(0x80000003)},
    {"HKEY_CURRENT_CONFIG", static_cast<int>(0x80000005)},
};

static HKEY BranchRoot(const char *branch)
{
    int root = LookUpKeyword(branch, kBranches, static_cast<int>(0x80000000) /* HKEY_CLASSES_ROOT */);
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(root));
}

// A value that is missing, unreadable or longer than 254 characters gives Default, cut to 255.
HGLOBAL WINAPI ReadReg(const char *keyName, const char *defaultValue, const char *branch)
{
    char value[256];
    LONG size = 255;
    lstrcpynA(value, defaultValue, sizeof value);
    HKEY key;
    if (RegOpenKeyA(BranchRoot(branch), keyName, &key) == ERROR_SUCCESS) {
        if (RegQueryValueA(key, nullptr, value, &size) == ERROR_SUCCESS)
            value[size] = '\0';   // a value stored without its NUL, or of another type, ends here
        else
            lstrcpynA(value, defaultValue, sizeof value);   // over whatever the query left
        RegCloseKey(key);
    }
    return StringToGlobal(value);
}

// The registry creates any missing key of the path.
int WINAPI WriteReg(const char *keyName, const char *newString, const char *branch)
{
    return RegSetValueA(BranchRoot(branch), keyName, REG_SZ, newString, lstrlenA(newString) + 1) == ERROR_SUCCESS;
}
