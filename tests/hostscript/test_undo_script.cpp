// Each drawing command as one undo step, taken back and put back exactly.
#include "DrawingScript.h"
#include "DrawingState.h"
#include "UndoScript.h"

#include "od_print.h"

#include <gtest/gtest.h>

using namespace host;

namespace
{
class UndoScriptTest : public ::testing::Test
{
protected:
  UndoScriptTest() : m_script([this] { return m_db.get(); })
  {
    m_script.addCommands(m_interpreter);
    addUndoCommands(m_interpreter, [this] { return m_db.get(); });
    m_db->enableUndoRecording(true);
  }

  // As the host runs a line: one step per command.
  void run(const wchar_t* line)
  {
    OdString error;
    ASSERT_TRUE(tryRunAsUndoStep(m_interpreter, m_db, line, error))
      << OdString(line).toUtf8() << ": " << error.toUtf8();
  }
  OdString refused(const wchar_t* line)
  {
    OdString error;
    EXPECT_FALSE(tryRunAsUndoStep(m_interpreter, m_db, line, error)) << OdString(line).toUtf8();
    return error;
  }
  std::string drawing() { return drawingState(m_db); }
  std::vector<OdString> undoNames()
  {
    std::vector<OdString> names;
    for (OdUInt32 i = 0; i < m_db->numUndoSteps(); ++i)
      names.push_back(m_db->undoStepName(i));
    return names;
  }
  // The line changes the drawing; UNDO brings back what was before, REDO
  // what was after.
  void expectUndoneAndRedone(const wchar_t* line)
  {
    const std::string before = drawing();
    run(line);
    const std::string after = drawing();
    ASSERT_NE(before, after) << OdString(line).toUtf8() << " changed nothing";
    run(L"UNDO");
    EXPECT_EQ(drawing(), before) << "after UNDO of " << OdString(line).toUtf8();
    run(L"REDO");
    EXPECT_EQ(drawing(), after) << "after REDO of " << OdString(line).toUtf8();
  }

  OdDbDatabasePtr m_db = odCreateDatabase();
  DrawingScript m_script;
  ScriptInterpreter m_interpreter;
};
} // namespace

TEST_F(UndoScriptTest, EachDrawingCommandIsUndoneAndRedoneExactly)
{
  run(L"MATERIAL Oak DIFFUSE 120,80,40");
  run(L"MATERIAL Stone MAP MARBLE");
  run(L"LAYER Walls");
  run(L"BOX LAYER Walls AS $box");
  expectUndoneAndRedone(L"MATERIAL Brass DIFFUSE 200,170,60 MAP FILE 'C:\\maps\\brass.png'");
  expectUndoneAndRedone(L"MATEDIT Oak DIFFUSE 10,20,30 MAP WOOD");
  expectUndoneAndRedone(L"LAYER Walls MATERIAL Stone");
  expectUndoneAndRedone(L"LAYER Floors MATERIAL Oak");
  expectUndoneAndRedone(L"CMATERIAL Stone");
  expectUndoneAndRedone(L"MESH MATERIAL Oak");
  expectUndoneAndRedone(L"ERASE Stone");
}

TEST_F(UndoScriptTest, StepsAreNamedAfterTheirCommandsAndReadsAreNone)
{
  run(L"MATERIAL Oak");
  run(L"matedit Oak DIFFUSE 1,2,3");
  OdString error;
  // A refused line and a line that only reads leave no step.
  refused(L"MATEDIT Nowhere DIFFUSE 1,2,3");
  refused(L"MATERIAL Oak");
  EXPECT_EQ(undoNames(), (std::vector<OdString>{L"MATEDIT", L"MATERIAL"}));
  run(L"UNDO");
  EXPECT_EQ(m_db->redoStepName(0), OdString(L"MATEDIT"));
  // UNDO and REDO are no steps themselves.
  EXPECT_EQ(undoNames(), (std::vector<OdString>{L"MATERIAL"}));
}

TEST_F(UndoScriptTest, UndoSeveralAndPastTheStart)
{
  const std::string empty = drawing();
  run(L"MATERIAL A");
  run(L"MATERIAL B");
  run(L"MATERIAL C");
  const std::string all = drawing();
  run(L"UNDO 2");
  run(L"UNDO 5"); // fewer than asked: all there are
  EXPECT_EQ(drawing(), empty);
  EXPECT_NE(refused(L"UNDO").find(L"Nothing to undo"), -1);
  EXPECT_EQ(drawing(), empty);
  run(L"REDO 3");
  EXPECT_EQ(drawing(), all);
  EXPECT_NE(refused(L"REDO").find(L"Nothing to redo"), -1);
  EXPECT_NE(refused(L"UNDO 0").find(L"number of steps"), -1);
  EXPECT_NE(refused(L"UNDO x").find(L"number of steps"), -1);
  EXPECT_EQ(drawing(), all);
}

TEST_F(UndoScriptTest, ANewCommandAfterUndoDropsTheRedo)
{
  run(L"MATERIAL A");
  run(L"MATEDIT A DIFFUSE 1,2,3");
  run(L"UNDO");
  run(L"MATEDIT A DIFFUSE 9,9,9");
  EXPECT_NE(refused(L"REDO").find(L"Nothing to redo"), -1);
  run(L"UNDO");
  run(L"UNDO");
  EXPECT_THROW(materialByName(m_db, L"A"), ScriptError);
}

TEST_F(UndoScriptTest, WithoutADocumentUndoSaysSo)
{
  ScriptInterpreter interpreter;
  addUndoCommands(interpreter, [] { return static_cast<OdDbDatabase*>(nullptr); });
  OdString error;
  EXPECT_FALSE(interpreter.tryRun(L"UNDO", error));
  EXPECT_NE(error.find(L"no document"), -1);
}
