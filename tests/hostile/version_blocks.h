// Version resources written byte by byte, as no resource compiler writes them: texts without
// their NUL, values where a file should have none, translations missing or many. Each is put
// into a copy of a file without a version resource, which FileVersion then reads.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace hostile {

// One node of a version resource: its key, its value's bytes as stored, the value's length as
// its header states it (characters for a text, bytes otherwise), its type (1 text, 0 binary)
// and the nodes below it.
struct VersionNode {
    std::string key;
    std::string value;
    WORD valueLength;
    WORD type;
    std::vector<VersionNode> children;
};

// A text value; terminated: stored with its NUL, which its length then counts.
VersionNode VersionText(const std::string &key, const std::string &text, bool terminated = true);
// A value of bytes (type 0) of the given length.
VersionNode VersionBytes(const std::string &key, const std::string &bytes);
// A string table of the given name (such as "040904E4") holding the values.
VersionNode StringTable(const std::string &name, const std::vector<VersionNode> &values);
// "StringFileInfo" holding the tables.
VersionNode StringFileInfo(const std::vector<VersionNode> &tables);
// "VarFileInfo" with a "Translation" value listing the language and code page pairs.
VersionNode VarFileInfo(const std::vector<std::pair<WORD, WORD>> &translations);
// The whole resource: "VS_VERSION_INFO" with its fixed part and the blocks in the order given.
VersionNode VersionInfo(const std::vector<VersionNode> &blocks);

// The bytes of a node as a file stores them: each node's header, key and value aligned to 32 bits.
std::string VersionBytesOf(const VersionNode &node);

// A copy of version_none.dll in the temporary folder with resource as its version resource
// (US English), deleted with the object.
class VersionFixture {
public:
    explicit VersionFixture(const VersionNode &resource);
    ~VersionFixture();
    VersionFixture(const VersionFixture &) = delete;
    VersionFixture &operator=(const VersionFixture &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

}  // namespace hostile
