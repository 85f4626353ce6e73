// The host's script language: lines of words, and the interpreter that runs
// them by their first word.
//
//   ScriptError        a refused line, with a message for the user
//   ScriptLine         one line of a script file with its line number
//   ScriptArgs         the words after the command, consumed in order
//   ScriptInterpreter  command words (any case) to handlers
//
// Words are separated by blanks. A word in double quotes may hold blanks and
// the escapes \" \\ \n \t and \uXXXX; a word in single quotes is taken as it
// is (Windows paths). Lines that are blank or start with '#' are no commands.
#pragma once

#include "od/OdString.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace host
{
class ScriptError : public std::runtime_error
{
public:
  explicit ScriptError(const OdString& message) : std::runtime_error(message.toUtf8()), m_message(message) {}
  const OdString& message() const { return m_message; }

private:
  OdString m_message;
};

// Throws ScriptError on an unterminated quote or a bad escape.
std::vector<OdString> splitScriptWords(const OdString& line);

struct ScriptLine
{
  int number; // from 1
  OdString text;
};
// The command lines of a script file's bytes (UTF-8, with or without a byte
// order mark, lines ended by LF, CRLF or CR): blank and comment lines left
// out.
std::vector<ScriptLine> scriptLines(const std::string& bytes);

class ScriptArgs
{
public:
  explicit ScriptArgs(std::vector<OdString> words) : m_words(std::move(words)) {}

  bool done() const { return m_next >= m_words.size(); }
  // The next word; throws "missing <what>" when there is none.
  const OdString& next(const OdString& what);
  // Consumes the next word when it is the keyword (any case).
  bool nextIs(const OdString& keyword);
  // Throws when words are left over.
  void expectEnd() const;
  // Every word not yet consumed.
  std::vector<OdString> rest();

  // Parsers of one word; they throw a message that names what was expected.
  static int toInt(const OdString& word, const OdString& what, int low, int high);
  static double toReal(const OdString& word, const OdString& what);
  // "x,y,z" (or "r,g,b").
  static void toTriple(const OdString& word, const OdString& what, double out[3]);

private:
  std::vector<OdString> m_words;
  std::size_t m_next = 0;
};

class ScriptInterpreter
{
public:
  using Handler = std::function<void(ScriptArgs& args)>;
  // For words that name no script command; false when it knows none either.
  using Fallback = std::function<bool(const OdString& word, ScriptArgs& args)>;

  void add(const OdString& word, Handler handler) { m_handlers[word] = std::move(handler); }
  void setFallback(Fallback fallback) { m_fallback = std::move(fallback); }
  bool has(const OdString& word) const { return m_handlers.count(word) != 0; }

  // Runs one line; throws ScriptError for the user. Blank and comment lines
  // do nothing.
  void run(const OdString& line);
  // The same, with every failure (SDK errors and allocation failures too)
  // turned into a message; true when the line ran.
  bool tryRun(const OdString& line, OdString& error);

private:
  std::map<OdString, Handler, OdStringLessNoCase> m_handlers;
  Fallback m_fallback;
};
} // namespace host
