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
// File format (UTF-8, one entry a line, every line ends with a newline):
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
// carriage return and NUL. Lines starting with '#' are comments. Reading
// skips every line that does not fit, and the values under a bad header; a
// last line without its newline was cut off and is skipped too.
#pragma once

#include "host/HostApi.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
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
  struct Value
  {
    std::string name;
    CKtVariant value;
    std::uint64_t order;
  };
  struct Child
  {
    std::unique_ptr<ProfileSection> section;
    std::uint64_t order;
  };

  ProfileSection* child(const std::string& name, bool create);
  void clearValues();
  void put(const std::string& name, const CKtVariant& value);

  std::string m_name;
  // Keyed by the case-folded name.
  std::map<std::string, Value> m_values;
  std::map<std::string, Child> m_sections;
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
    bool fileRead = false; // false: missing, too large or unreadable
    int linesSkipped = 0;  // lines that did not fit the format
  };

  ProfileStore() = default;

  IProfileSection* openSection(const char* name, bool create) override { return m_root.openSection(name, create); }
  const ProfileSection& root() const { return m_root; }

  // Replaces every value with those of the file; a file that cannot be
  // read leaves no values. Sections already handed out stay valid.
  LoadResult load(const OdString& path);
  // False when the file could not be written; the old file is then intact.
  bool save(const OdString& path) const;

  // The text that save() writes and load() reads.
  std::string serialize() const;
  int parse(const std::string& text);

private:
  ProfileSection m_root;
};
} // namespace host
