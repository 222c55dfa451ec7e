// The browser command line against a slow reference, written into a buffer of exactly its size
// on the heap, so that AddressSanitizer sees any write or read past it.
#include "fuzz/fuzz_input.h"
#include "launch/browser_command.h"

static std::string Reference(std::string command, const std::string &url)
{
    if (!command.empty() && command[0] == '"') command.erase(0, 1);
    command = fuzz::Cut(command, kBrowserCommandLineChars);
    command = command.substr(0, command.find('"'));
    return fuzz::Cut(command + " " + url, kBrowserCommandLineChars);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string command = input.Text(), url = input.Text();
    auto *line = new char[kBrowserCommandLineSize];
    BuildBrowserCommandLine(command.c_str(), url.c_str(), *reinterpret_cast<char(*)[kBrowserCommandLineSize]>(line));
    fuzz::ExpectSame(line, Reference(command, url), "browser command line");
    delete[] line;
    return 0;
}
