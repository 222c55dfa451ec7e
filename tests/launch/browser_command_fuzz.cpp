// The browser command line against a slow reference, written into a buffer of exactly its size
// on the heap, so that AddressSanitizer sees any write or read past it.
#include "fuzz/fuzz_input.h"
#include "launch/browser_command.h"

static std::string Reference(std::string command, const std::string &url)
{
    const bool quoted = !command.empty() && command[0] == '"';
    command = fuzz::Cut(command, kBrowserCommandLineChars);
    command = quoted ? command.substr(0, command.find('"', 1)) + "\"" : command.substr(0, command.find('"'));
    std::string argument;
    for (char c : url) argument += c == '"' ? std::string("%22") : std::string(1, c);
    if (url.find_first_of(" \t") != std::string::npos) argument = "\"" + argument + "\"";
    return fuzz::Cut(command + " " + argument, kBrowserCommandLineChars);
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
