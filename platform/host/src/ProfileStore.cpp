#include "host/ProfileStore.h"

#include "host/FileSystem.h"
#include "host/TextLines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace host
{
namespace
{
// Deeper nesting is refused: no profile needs more, and a header of a
// thousand parts should not make a thousand sections.
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

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(const std::string& text)
{
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end)
  {
    const unsigned char c = *p++;
    if (c < 0x80)
      continue;
    int extra = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF)
      extra = 1, cp = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF)
      extra = 2, cp = c & 0x0Fu;
    else if (c >= 0xF0 && c <= 0xF4)
      extra = 3, cp = c & 0x07u;
    else
      return false;
    if (end - p < extra)
      return false;
    for (int i = 0; i < extra; ++i, ++p)
    {
      if ((*p & 0xC0) != 0x80)
        return false;
      cp = cp << 6 | (*p & 0x3Fu);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
  }
  return true;
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
  {
    if (!(it->second.value == value))
    {
      it->second.value = value;
      it->second.changed = true;
    }
    return;
  }
  Value made{name, value, m_nextOrder++, LinePlace(), true};
  // A line of the file under that name that holds no value (one that was
  // not understood, or whose value was deleted) gives the value its place.
  auto lines = m_namedLines.find(key);
  if (lines != m_namedLines.end() && !lines->second.empty())
    made.place = lines->second.front();
  m_values.emplace(key, std::move(made));
}

void ProfileSection::forget()
{
  // Explicit stack: no recursion over a tree that a file shapes.
  std::vector<ProfileSection*> pending{this};
  while (!pending.empty())
  {
    ProfileSection* section = pending.back();
    pending.pop_back();
    section->m_values.clear();
    section->m_namedLines.clear();
    section->m_firstBlock = SIZE_MAX;
    for (auto& entry : section->m_sections)
      pending.push_back(entry.second.section.get());
  }
}

std::vector<std::string> ProfileSection::sectionNames() const
{
  return namesInOrder(m_sections, +[](const Child& c) { return c.section->name(); });
}

std::vector<std::string> ProfileSection::valueNames() const
{
  return namesInOrder(m_values, +[](const Value& v) { return v.name; });
}

void ProfileStore::reset()
{
  m_root.forget();
  m_blocks.clear();
  m_byteOrderMark = false;
  m_lineEnd = "\n";
  m_lastLineOpen = false;
}

ProfileStore::LoadResult ProfileStore::parse(const std::string& text)
{
  reset();
  LoadResult result;
  result.status = LoadResult::Status::NotAProfile;
  if (text.find('\0') != std::string::npos)
  {
    result.reason = L"it holds NUL bytes";
    return result;
  }
  if (!isUtf8(text))
  {
    result.reason = L"it is no UTF-8 text";
    return result;
  }
  result.status = LoadResult::Status::Read;
  m_byteOrderMark = hasUtf8Bom(text);
  // Written back with the line end it was read with.
  const std::size_t firstEnd = text.find_first_of("\r\n");
  if (firstEnd != std::string::npos)
    m_lineEnd = text[firstEnd] == '\n' ? "\n" : text.compare(firstEnd, 2, "\r\n") == 0 ? "\r\n" : "\r";
  m_lastLineOpen = !text.empty() && text.back() != '\n' && text.back() != '\r' && text.size() > (m_byteOrderMark ? 3u : 0u);
  m_blocks.emplace_back(); // the lines before the first header
  int entries = 0;         // headers and values read
  int others = 0;          // lines that are neither blank nor comments
  std::vector<std::string> path;
  std::string name;
  // A last line without its line end (as many editors save a file) reads
  // as any other: writes are atomic, so it is no torn line.
  forEachLine(text, [&](std::string_view view, bool) {
    Line line{std::string(view), std::string(), false};
    const bool comment = line.text.empty() || line.text[0] == '#';
    others += comment ? 0 : 1;
    const std::size_t blockIndex = m_blocks.size() - 1;
    Block& block = m_blocks.back();
    ProfileSection* section = block.section;
    const ProfileSection::LinePlace place{blockIndex, block.lines.size()};

    if (comment)
    {
      line.understood = true; // nothing to understand
      block.lines.push_back(std::move(line));
      return;
    }
    if (line.text[0] == '[')
    {
      ProfileSection* headed = nullptr;
      if (parseHeader(line.text, path))
      {
        ++entries;
        // Nested too deeply: refused before any of its sections is made.
        headed = path.size() <= std::size_t(kMaxDepth) ? &m_root : nullptr;
        for (std::size_t i = 0; headed && i < path.size(); ++i)
          headed = headed->child(path[i], true);
      }
      Block next;
      next.section = headed;
      line.understood = headed != nullptr;
      result.linesKept += headed ? 0 : 1;
      next.lines.push_back(std::move(line));
      m_blocks.push_back(std::move(next));
      if (headed && headed->m_firstBlock == SIZE_MAX)
        headed->m_firstBlock = m_blocks.size() - 1;
      return;
    }

    const std::size_t assignment = findAssignment(line.text);
    const bool named = section && assignment != std::string::npos && unescape(line.text, 0, assignment, name) &&
                       isValidName(name);
    CKtVariant value;
    if (section)
      block.lastEntry = place.line;
    if (named)
    {
      line.key = foldCase(name);
      section->m_namedLines[line.key].push_back(place);
    }
    if (named && parseValue(line.text, assignment + 1, value))
    {
      ++entries;
      line.understood = true;
      auto it = section->m_values.find(line.key);
      if (it != section->m_values.end())
      {
        // The same name again: the later line counts, and the earlier one
        // is kept as it is.
        m_blocks[it->second.place.block].lines[it->second.place.line].understood = false;
        ++result.linesKept;
        it->second.value = value;
        it->second.place = place;
      }
      else
        section->m_values.emplace(line.key, ProfileSection::Value{name, value, section->m_nextOrder++, place, false});
    }
    else
      ++result.linesKept;
    m_blocks[blockIndex].lines.push_back(std::move(line));
  });
  if (entries == 0 && others > 0)
  {
    // A drawing, an image, a letter: nothing of it is a profile.
    reset();
    result.status = LoadResult::Status::NotAProfile;
    result.linesKept = 0;
    result.reason = L"not one line of it is a section header or a value";
  }
  return result;
}

std::string ProfileStore::serialize() const
{
  using Value = ProfileSection::Value;
  const std::string& end = m_lineEnd;
  auto valueLine = [&](const Value& value) { return escape(value.name) + "=" + formatValue(value.value) + end; };
  // Values with no line of their own go after the entries of their section.
  auto newValues = [&](const ProfileSection& section, std::string& out) {
    std::vector<const Value*> values;
    for (const auto& entry : section.m_values)
      if (!entry.second.place.isSet())
        values.push_back(&entry.second);
    std::sort(values.begin(), values.end(), [](const Value* a, const Value* b) { return a->order < b->order; });
    for (const Value* value : values)
      out += valueLine(*value);
  };

  std::string out = m_byteOrderMark ? "\xEF\xBB\xBF" : "";
  if (m_blocks.empty())
    out += std::string(kFileHeader) + end;
  // Where the file's last line ends, when it had no line end: written back
  // without one, unless something comes after it now.
  std::size_t openLineEnd = std::string::npos;
  for (std::size_t b = 0; b < m_blocks.size(); ++b)
  {
    const Block& block = m_blocks[b];
    for (std::size_t l = 0; l < block.lines.size(); ++l)
    {
      const Line& line = block.lines[l];
      const Value* value = nullptr;
      if (block.section && !line.key.empty())
      {
        auto it = block.section->m_values.find(line.key);
        if (it != block.section->m_values.end() && it->second.place == ProfileSection::LinePlace{b, l})
          value = &it->second;
      }
      const bool last = m_lastLineOpen && b + 1 == m_blocks.size() && l + 1 == block.lines.size();
      if (value)
        out += line.understood && !value->changed ? line.text + end : valueLine(*value);
      else if (!line.understood || line.key.empty())
        out += line.text + end;
      // else: a value line whose value was deleted
      if (last)
        openLineEnd = out.size();
      if (block.section && block.section->m_firstBlock == b && l == block.lastEntry)
        newValues(*block.section, out);
    }
  }

  // Sections the file did not have, in the order they were made, each
  // after its parent; a section that only holds others gets no header.
  std::vector<std::pair<const ProfileSection*, std::string>> pending;
  auto pushChildren = [&](const ProfileSection& section, const std::string& path) {
    const std::vector<std::string> names = section.sectionNames();
    for (auto it = names.rbegin(); it != names.rend(); ++it)
      pending.emplace_back(section.section(*it), path.empty() ? escape(*it) : path + "/" + escape(*it));
  };
  pushChildren(m_root, std::string());
  while (!pending.empty())
  {
    const auto [section, path] = pending.back();
    pending.pop_back();
    if (section->m_firstBlock == SIZE_MAX && (!section->m_values.empty() || section->m_sections.empty()))
    {
      out += "[" + path + "]" + end;
      newValues(*section, out);
    }
    pushChildren(*section, path);
  }
  if (openLineEnd == out.size())
    out.resize(out.size() - end.size());
  return out;
}

ProfileStore::LoadResult ProfileStore::load(const OdString& path)
{
  reset();
  LoadResult result;
  std::string bytes;
  switch (readFile(path, bytes, kMaxFileSize))
  {
  case ReadResult::Ok: return parse(bytes);
  case ReadResult::Missing: break;
  case ReadResult::TooLarge:
    result.status = LoadResult::Status::NotAProfile;
    result.reason = OdString::format(L"it is larger than %d MB", int(kMaxFileSize >> 20));
    break;
  case ReadResult::NotAFile:
    result.status = LoadResult::Status::Unreadable;
    result.reason = L"it is no regular file";
    break;
  case ReadResult::Failed:
    result.status = LoadResult::Status::Unreadable;
    result.reason = L"it could not be read";
    break;
  }
  return result;
}

bool ProfileStore::save(const OdString& path, OdString* error) const
{
  return writeFileAtomically(path, serialize(), error);
}
} // namespace host
