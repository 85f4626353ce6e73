// The script language: words, lines of a file, arguments, dispatch, and the
// command line of host.exe.
#include "HostOptions.h"
#include "Script.h"

#include "od/OdError.h"

#include "od_print.h"

#include <gtest/gtest.h>

using namespace host;

namespace
{
std::vector<std::wstring> words(const wchar_t* line)
{
  std::vector<std::wstring> out;
  for (const OdString& w : splitScriptWords(line))
    out.push_back(w.c_str());
  return out;
}

OdString errorOf(const wchar_t* line)
{
  try
  {
    splitScriptWords(line);
  }
  catch (const ScriptError& e)
  {
    return e.message();
  }
  return OdString();
}
} // namespace

TEST(ScriptWords, QuotesEscapesAndBlanks)
{
  EXPECT_EQ(words(L"  MATERIAL\tRed   DIFFUSE 1,2,3 "), (std::vector<std::wstring>{L"MATERIAL", L"Red", L"DIFFUSE", L"1,2,3"}));
  EXPECT_EQ(words(L"A \"two words\" \"\" B"), (std::vector<std::wstring>{L"A", L"two words", L"", L"B"}));
  EXPECT_EQ(words(L"\"q\\\" b\\\\ n\\n t\\t u\\u00e9\""), (std::vector<std::wstring>{L"q\" b\\ n\n t\t u\u00e9"}));
  // Backslashes outside quotes are plain characters: Windows paths need no escaping.
  EXPECT_EQ(words(L"DUMP C:\\temp\\d.json"), (std::vector<std::wstring>{L"DUMP", L"C:\\temp\\d.json"}));
  EXPECT_EQ(words(L"F 'C:\\new dir\\u.png' ''"), (std::vector<std::wstring>{L"F", L"C:\\new dir\\u.png", L""}));
  EXPECT_TRUE(words(L"   ").empty());
}

TEST(ScriptWords, MalformedWordsAreRefusedWithTheColumn)
{
  EXPECT_NE(errorOf(L"MATERIAL \"open").find(L"unterminated quote starting at column 10"), -1);
  EXPECT_NE(errorOf(L"A \"x\\q\"").find(L"unknown escape"), -1);
  EXPECT_NE(errorOf(L"A \"\\u12\"").find(L"bad \\u escape"), -1);
  EXPECT_NE(errorOf(L"A \"\\u0000\"").find(L"not allowed"), -1);
  EXPECT_NE(errorOf(L"A \"x\"y").find(L"no blank after"), -1);
  EXPECT_NE(errorOf(L"A \"x\\").find(L"unterminated"), -1);
  EXPECT_NE(errorOf(L"A 'x").find(L"unterminated quote starting at column 3"), -1);
}

TEST(ScriptLines, NumbersCountEveryLineOfTheFile)
{
  const auto lines = scriptLines("\xEF\xBB\xBFNEW\r\n\r\n# note\n   \n  DOC 1\nQUIT");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].number, 1);
  EXPECT_EQ(lines[0].text, L"NEW") << "byte order mark and CR are gone";
  EXPECT_EQ(lines[1].number, 5);
  EXPECT_EQ(lines[2].number, 6) << "a last line without newline counts";
  EXPECT_EQ(scriptLines("caf\xC3\xA9")[0].text, L"caf\u00e9");
  EXPECT_TRUE(scriptLines("").empty());
}

TEST(ScriptLines, OldMacintoshLineEndsAndMixedOnesSplitLines)
{
  // A file saved with CR alone is not one long comment line.
  const auto cr = scriptLines("# materials\rMATERIAL A\rMATERIAL B\r\rQUIT\r");
  ASSERT_EQ(cr.size(), 3u);
  EXPECT_EQ(cr[0].text, L"MATERIAL A");
  EXPECT_EQ(cr[1].number, 3);
  EXPECT_EQ(cr[2].number, 5) << "an empty line between two CRs counts";
  const auto mixed = scriptLines("A\r\nB\rC\nD\n\rE");
  ASSERT_EQ(mixed.size(), 5u);
  EXPECT_EQ(mixed[4].text, L"E");
  EXPECT_EQ(mixed[4].number, 6) << "LF then CR are two line ends";
  // A NUL byte neither ends the line nor hides the rest of it.
  const auto nul = scriptLines(std::string("MATERIAL A\0B C\n", 15));
  ASSERT_EQ(nul.size(), 1u);
  EXPECT_EQ(nul[0].text, L"MATERIAL A\uFFFDB C");
}

TEST(ScriptArgs, NumbersAreCheckedAndNamed)
{
  EXPECT_EQ(ScriptArgs::toInt(L"-12", L"n", -100, 100), -12);
  for (const wchar_t* bad : {L"", L"12x", L"1.5", L"101", L"99999999999999999999"})
    EXPECT_THROW(ScriptArgs::toInt(bad, L"n", -100, 100), ScriptError) << bad;
  double xyz[3];
  ScriptArgs::toTriple(L"1,-2.5,3e2", L"p", xyz);
  EXPECT_EQ(xyz[2], 300.0);
  EXPECT_THROW(ScriptArgs::toTriple(L"1,2", L"p", xyz), ScriptError);
  EXPECT_THROW(ScriptArgs::toTriple(L"1,2,nan", L"p", xyz), ScriptError);
  EXPECT_THROW(ScriptArgs::toReal(L"inf", L"p"), ScriptError);

  ScriptArgs args({L"x", L"as", L"$l"});
  EXPECT_FALSE(args.nextIs(L"AS"));
  EXPECT_EQ(args.next(L"name"), L"x");
  EXPECT_TRUE(args.nextIs(L"AS")) << "keywords in any case";
  EXPECT_THROW(args.expectEnd(), ScriptError);
  args.next(L"label");
  EXPECT_THROW(args.next(L"more"), ScriptError);
}

TEST(ScriptInterpreter, DispatchesWithoutCaseAndFallsBack)
{
  ScriptInterpreter interpreter;
  std::vector<std::wstring> ran;
  interpreter.add(L"NEW", [&](ScriptArgs& a) {
    a.expectEnd();
    ran.push_back(L"new");
  });
  interpreter.setFallback([&](const OdString& word, ScriptArgs&) {
    if (word.iCompare(L"MATBROWSEROPEN") != 0)
      return false;
    ran.push_back(L"fallback");
    return true;
  });
  OdString error;
  EXPECT_TRUE(interpreter.tryRun(L"new", error));
  EXPECT_TRUE(interpreter.tryRun(L"matbrowseropen", error));
  EXPECT_TRUE(interpreter.tryRun(L"  # only a comment", error));
  EXPECT_FALSE(interpreter.tryRun(L"NEW extra", error));
  EXPECT_EQ(error, L"unexpected \"extra\"");
  EXPECT_FALSE(interpreter.tryRun(L"OPEN", error));
  EXPECT_EQ(error, L"unknown command \"OPEN\"");
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"new", L"fallback"}));

  interpreter.add(L"BOOM", [](ScriptArgs&) { throw OdError(eInvalidInput); });
  EXPECT_FALSE(interpreter.tryRun(L"BOOM", error)) << "SDK errors become messages too";
  EXPECT_FALSE(error.isEmpty());
}

TEST(HostOptions, CommandLine)
{
  HostOptions options;
  OdString error;
  ASSERT_TRUE(parseHostOptions({L"d.mescript", L"/SCRIPT", L"s", L"-profile", L"p", L"/nomodule"}, options, error));
  EXPECT_EQ(options.drawing, L"d.mescript");
  EXPECT_EQ(options.script, L"s");
  EXPECT_EQ(options.profile, L"p");
  EXPECT_TRUE(options.noModule);
  EXPECT_EQ(options.texturePath, L"");

  // Texture folders given twice add up, in order.
  HostOptions folders;
  ASSERT_TRUE(parseHostOptions({L"/texturepath", L"C:\\maps;D:\\more", L"/TEXTUREPATH", L"E:\\last"}, folders, error));
  EXPECT_EQ(folders.texturePath, L"C:\\maps;D:\\more;E:\\last");

  const std::vector<std::vector<OdString>> bad = {
    {L"/script"}, {L"/frob"}, {L"a", L"b"}, {L"/module", L"m", L"/nomodule"}, {L"/profile", L""}, {L"/texturepath"}};
  for (const auto& arguments : bad)
  {
    HostOptions o;
    EXPECT_FALSE(parseHostOptions(arguments, o, error)) << arguments[0].toUtf8();
    EXPECT_FALSE(error.isEmpty());
  }
}
