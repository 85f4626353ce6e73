// The host profile: nested sections of named values, kept in a text file
// between runs.
//
//   ProfileSection   one section: sub-sections and named CKtVariant values
//   ProfileStore     the root (IProfile) with load() and save()
//
// Names are 8-bit text compared without regard to ASCII case, as registry
// keys are; the spelling first used is kept. Sections are never removed, so
// a section pointer handed out stays valid as long as the store, across
// load() too.
//
// File format (UTF-8, one entry a line):
//
//   # materialeditor host profile 1
//   [cmddata/MaterialEditor]
//   SampleObject=i:7
//   Ratio=r:0.5
//   LastFile=s:C:\\maps\\wood.jpg
//   Unset=e:
//
// A header names a section by its path from the root, parts separated by
// '/'. A value line is name '=' kind ':' data, the kinds being i (32-bit
// integer), r (finite real), s (text) and e (empty). In names and texts a
// backslash escapes the next character; \n, \r and \0 stand for line feed,
// carriage return and NUL. Lines starting with '#' are comments. Lines end
// with LF, CRLF or CR.
//
// Nothing of a file is lost: a line that does not fit (a bad value, a
// header that cannot be read and the lines under it, a last line without
// its line end, which may have been cut off) is kept as it is, in its
// place, and written back so. A value written later under the name of such
// a line takes that line's place. Lines of values that did not change are
// written back as they were read. A file that is no profile at all is not
// read, and the host does not write over it (see LoadResult).
#pragma once

#include "host/HostApi.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host
{
class ProfileSection : public IProfileSection
{
public:
  // Longer names, empty names and null are refused.
  static constexpr std::size_t kMaxNameLength = 1024;

  explicit ProfileSection(std::string name = std::string());
  ProfileSection(const ProfileSection&) = delete;
  ProfileSection& operator=(const ProfileSection&) = delete;

  IProfileSection* openSection(const char* name, bool create) override;
  bool readValue(const char* name, CKtVariant& value) const override;
  bool writeValue(const char* name, const CKtVariant& value) override;
  // Makes an empty value; false when the name is taken or refused.
  bool createValue(const char* name) override;
  bool deleteValue(const char* name) override;

  const std::string& name() const { return m_name; }
  // Null when missing.
  const ProfileSection* section(const std::string& name) const;
  // Names in the order the entries were made.
  std::vector<std::string> sectionNames() const;
  std::vector<std::string> valueNames() const;

  static bool isValidName(const char* name);

private:
  friend class ProfileStore;
  // Where in the file a line is: block and line within it.
  struct LinePlace
  {
    std::size_t block = SIZE_MAX;
    std::size_t line = 0;
    bool isSet() const { return block != SIZE_MAX; }
    bool operator==(const LinePlace& o) const { return block == o.block && line == o.line; }
  };
  struct Value
  {
    std::string name;
    CKtVariant value;
    std::uint64_t order;
    LinePlace place;      // the line it is written on; unset: after the section's entries
    bool changed = false; // since it was read
  };
  struct Child
  {
    std::unique_ptr<ProfileSection> section;
    std::uint64_t order;
  };

  ProfileSection* child(const std::string& name, bool create);
  void forget();
  void put(const std::string& name, const CKtVariant& value);

  std::string m_name;
  // Keyed by the case-folded name.
  std::map<std::string, Value> m_values;
  std::map<std::string, Child> m_sections;
  // The named lines of this section in the file, in file order, by key:
  // where a value made later under that name is written.
  std::map<std::string, std::vector<LinePlace>> m_namedLines;
  std::size_t m_firstBlock = SIZE_MAX; // the first block of the file under this section's header
  std::uint64_t m_nextOrder = 0;
  int m_depth = 0;
};

class ProfileStore : public IProfile
{
public:
  // Files above this size are not read.
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  struct LoadResult
  {
    enum class Status
    {
      Missing,     // no file: the profile starts empty and the file is made at the end
      Read,        // read; linesKept lines were not understood and are kept as they are
      NotAProfile, // NUL bytes, no UTF-8, too large, or not one header or value line: never written over
      Unreadable,  // there, but it could not be read (a folder, no permission): not written over either
    };
    Status status = Status::Missing;
    int linesKept = 0;
    OdString reason; // why the file is no profile or could not be read
    bool mayWrite() const { return status == Status::Missing || status == Status::Read; }
  };

  ProfileStore() = default;

  IProfileSection* openSection(const char* name, bool create) override { return m_root.openSection(name, create); }
  const ProfileSection& root() const { return m_root; }

  // Replaces every value with those of the file; a file that cannot be
  // read, or is no profile, leaves no values. Sections already handed out
  // stay valid.
  LoadResult load(const OdString& path);
  // False with a message when the file could not be written; the old file
  // is then intact.
  bool save(const OdString& path, OdString* error = nullptr) const;

  // The text that save() writes, and the reading of a file's bytes (which
  // load() does; a text that is no profile leaves the store empty).
  std::string serialize() const;
  LoadResult parse(const std::string& text);

private:
  struct Line
  {
    std::string text; // as read, without its line end
    std::string key;  // the case-folded value name, for value lines and kept lines that have one
    bool understood = false;
  };
  // A header with the lines under it; the lines before the first header
  // make the first block, without a section.
  struct Block
  {
    ProfileSection* section = nullptr; // null: no header, or one that could not be read
    std::vector<Line> lines;
    std::size_t lastEntry = 0; // new values of the section go after this line
  };

  void reset();

  ProfileSection m_root;
  std::vector<Block> m_blocks; // the file as read; empty for a new file
  bool m_byteOrderMark = false;
  std::string m_lineEnd = "\n"; // the file's own: LF, CRLF or CR
  bool m_lastLineOpen = false;   // the file ended inside its last line
};
} // namespace host
