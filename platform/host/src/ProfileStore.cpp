#include "host/ProfileStore.h"

#include "host/FileSystem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace host
{
namespace
{
// Deeper nesting is refused: the section tree is walked recursively.
constexpr int kMaxDepth = 32;
const char kFileHeader[] = "# materialeditor host profile 1";

std::string foldCase(const std::string& name)
{
  std::string folded = name;
  for (char& ch : folded)
    if (ch >= 'A' && ch <= 'Z')
      ch = char(ch - 'A' + 'a');
  return folded;
}

bool isValidName(const std::string& name)
{
  return !name.empty() && name.size() <= ProfileSection::kMaxNameLength && name.find('\0') == std::string::npos;
}

template <class Map>
std::vector<std::string> namesInOrder(const Map& map, std::string (*nameOf)(const typename Map::mapped_type&))
{
  std::vector<std::pair<std::uint64_t, std::string>> entries;
  entries.reserve(map.size());
  for (const auto& entry : map)
    entries.emplace_back(entry.second.order, nameOf(entry.second));
  std::sort(entries.begin(), entries.end());
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (auto& entry : entries)
    names.push_back(std::move(entry.second));
  return names;
}

// Every character that means something in the format is escaped wherever it
// stands, so one rule serves names, section parts and texts.
std::string escape(const std::string& text)
{
  std::string out;
  out.reserve(text.size());
  for (char ch : text)
  {
    switch (ch)
    {
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\0': out += "\\0"; break;
    case '\\': case '=': case '/': case '[': case ']': case '#':
      out += '\\';
      out += ch;
      break;
    default: out += ch;
    }
  }
  return out;
}

// False for a backslash with nothing after it.
bool unescape(const std::string& text, std::size_t begin, std::size_t end, std::string& out)
{
  out.clear();
  for (std::size_t i = begin; i < end; ++i)
  {
    char ch = text[i];
    if (ch == '\\')
    {
      if (++i >= end)
        return false;
      ch = text[i];
      ch = ch == 'n' ? '\n' : ch == 'r' ? '\r' : ch == '0' ? '\0' : ch;
    }
    out += ch;
  }
  return true;
}

// UTF-8 with NULs in it: OdString's own conversion would stop at the first.
OdString fromUtf8(const std::string& bytes)
{
  std::wstring text;
  std::size_t start = 0;
  for (;;)
  {
    const std::size_t nul = bytes.find('\0', start);
    text += OdString(bytes.substr(start, nul == std::string::npos ? std::string::npos : nul - start).c_str()).str();
    if (nul == std::string::npos)
      break;
    text += L'\0';
    start = nul + 1;
  }
  return OdString(std::move(text));
}

std::string formatValue(const CKtVariant& value)
{
  switch (value.type())
  {
  case CKtVariant::Type::Int: return "i:" + std::to_string(value.asInt());
  case CKtVariant::Type::Real:
  {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.asReal());
    return "r:" + std::string(buffer, result.ptr);
  }
  case CKtVariant::Type::Text: return "s:" + escape(value.asText().toUtf8());
  case CKtVariant::Type::Empty: break;
  }
  return "e:";
}

bool parseValue(const std::string& line, std::size_t begin, CKtVariant& value)
{
  if (line.size() < begin + 2 || line[begin + 1] != ':')
    return false;
  const char kind = line[begin];
  const char* first = line.data() + begin + 2;
  const char* last = line.data() + line.size();
  switch (kind)
  {
  case 'i':
  {
    int number = 0;
    const auto result = std::from_chars(first, last, number);
    if (first == last || result.ec != std::errc() || result.ptr != last)
      return false;
    value = CKtVariant(number);
    return true;
  }
  case 'r':
  {
    double number = 0.0;
    const auto result = std::from_chars(first, last, number);
    if (first == last || result.ec != std::errc() || result.ptr != last || !std::isfinite(number))
      return false;
    value = CKtVariant(number);
    return true;
  }
  case 's':
  {
    std::string text;
    if (!unescape(line, begin + 2, line.size(), text))
      return false;
    value = CKtVariant(fromUtf8(text));
    return true;
  }
  case 'e':
    value = CKtVariant();
    return first == last;
  default: return false;
  }
}

// "[a/b\/c]" -> {"a", "b/c"}; false when it is no well-formed header.
bool parseHeader(const std::string& line, std::vector<std::string>& path)
{
  path.clear();
  if (line.size() < 3 || line.front() != '[')
    return false;
  std::size_t partBegin = 1;
  for (std::size_t i = 1; i < line.size(); ++i)
  {
    const char ch = line[i];
    if (ch == '\\')
    {
      ++i; // the escaped character, whatever it is
      continue;
    }
    if (ch != '/' && ch != ']')
      continue;
    if (ch == ']' && i != line.size() - 1)
      return false;
    std::string part;
    if (!unescape(line, partBegin, i, part) || !isValidName(part))
      return false;
    path.push_back(std::move(part));
    if (ch == ']')
      return true;
    partBegin = i + 1;
  }
  return false; // no closing bracket
}

// The position of the first '=' that is not escaped, or npos.
std::size_t findAssignment(const std::string& line)
{
  for (std::size_t i = 0; i < line.size(); ++i)
  {
    if (line[i] == '\\')
      ++i;
    else if (line[i] == '=')
      return i;
  }
  return std::string::npos;
}
} // namespace

ProfileSection::ProfileSection(std::string name) : m_name(std::move(name)) {}

bool ProfileSection::isValidName(const char* name)
{
  if (!name)
    return false;
  std::size_t length = 0;
  while (name[length] && length <= kMaxNameLength)
    ++length;
  return length > 0 && length <= kMaxNameLength;
}

IProfileSection* ProfileSection::openSection(const char* name, bool create)
{
  return isValidName(name) ? child(name, create) : nullptr;
}

ProfileSection* ProfileSection::child(const std::string& name, bool create)
{
  const std::string key = foldCase(name);
  auto it = m_sections.find(key);
  if (it != m_sections.end())
    return it->second.section.get();
  if (!create || m_depth >= kMaxDepth)
    return nullptr;
  auto section = std::make_unique<ProfileSection>(name);
  section->m_depth = m_depth + 1;
  ProfileSection* made = section.get();
  m_sections.emplace(key, Child{std::move(section), m_nextOrder++});
  return made;
}

const ProfileSection* ProfileSection::section(const std::string& name) const
{
  auto it = m_sections.find(foldCase(name));
  return it == m_sections.end() ? nullptr : it->second.section.get();
}

bool ProfileSection::readValue(const char* name, CKtVariant& value) const
{
  if (!isValidName(name))
    return false;
  auto it = m_values.find(foldCase(name));
  if (it == m_values.end())
    return false;
  value = it->second.value;
  return true;
}

bool ProfileSection::writeValue(const char* name, const CKtVariant& value)
{
  if (!isValidName(name))
    return false;
  put(name, value);
  return true;
}

bool ProfileSection::createValue(const char* name)
{
  if (!isValidName(name) || m_values.count(foldCase(name)))
    return false;
  put(name, CKtVariant());
  return true;
}

bool ProfileSection::deleteValue(const char* name)
{
  return isValidName(name) && m_values.erase(foldCase(name)) > 0;
}

void ProfileSection::put(const std::string& name, const CKtVariant& value)
{
  const std::string key = foldCase(name);
  auto it = m_values.find(key);
  if (it != m_values.end())
    it->second.value = value;
  else
    m_values.emplace(key, Value{name, value, m_nextOrder++});
}

void ProfileSection::clearValues()
{
  m_values.clear();
  for (auto& entry : m_sections)
    entry.second.section->clearValues();
}

std::vector<std::string> ProfileSection::sectionNames() const
{
  return namesInOrder(m_sections, +[](const Child& c) { return c.section->name(); });
}

std::vector<std::string> ProfileSection::valueNames() const
{
  return namesInOrder(m_values, +[](const Value& v) { return v.name; });
}

namespace
{
void serializeSection(const ProfileSection& section, const std::string& path, std::string& out)
{
  for (const std::string& childName : section.sectionNames())
  {
    const ProfileSection* child = section.section(childName);
    const std::string childPath = path.empty() ? escape(childName) : path + "/" + escape(childName);
    out += "[" + childPath + "]\n";
    for (const std::string& valueName : child->valueNames())
    {
      CKtVariant value;
      child->readValue(valueName.c_str(), value);
      out += escape(valueName) + "=" + formatValue(value) + "\n";
    }
    serializeSection(*child, childPath, out);
  }
}
} // namespace

std::string ProfileStore::serialize() const
{
  std::string out = std::string(kFileHeader) + "\n";
  serializeSection(m_root, std::string(), out);
  return out;
}

int ProfileStore::parse(const std::string& text)
{
  int skipped = 0;
  ProfileSection* current = nullptr;
  std::size_t begin = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    begin = 3;
  std::vector<std::string> path;
  std::string name;
  while (begin < text.size())
  {
    const std::size_t end = text.find('\n', begin);
    if (end == std::string::npos)
    {
      ++skipped; // cut off before its newline
      break;
    }
    std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    if (!line.empty() && line.back() == '\r') // written on Windows by hand
      line.pop_back();
    if (line.empty() || line[0] == '#')
      continue;

    if (line[0] == '[')
    {
      current = nullptr;
      if (!parseHeader(line, path))
      {
        ++skipped;
        continue;
      }
      ProfileSection* section = &m_root;
      for (const std::string& part : path)
        if (!(section = section ? section->child(part, true) : nullptr))
          break;
      current = section;
      if (!current)
        ++skipped;
      continue;
    }

    const std::size_t assignment = findAssignment(line);
    CKtVariant value;
    if (!current || assignment == std::string::npos || !unescape(line, 0, assignment, name) || !isValidName(name) ||
        !parseValue(line, assignment + 1, value))
    {
      ++skipped;
      continue;
    }
    current->put(name, value);
  }
  return skipped;
}

ProfileStore::LoadResult ProfileStore::load(const OdString& path)
{
  LoadResult result;
  m_root.clearValues();
  std::string bytes;
  if (readFile(path, bytes, kMaxFileSize) != ReadResult::Ok)
    return result;
  result.fileRead = true;
  result.linesSkipped = parse(bytes);
  return result;
}

bool ProfileStore::save(const OdString& path) const { return writeFileAtomically(path, serialize()); }
} // namespace host
