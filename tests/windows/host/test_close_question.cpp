// The question before a modified document closes: "Save changes to <title>?"
// with Yes (saves), No (lets the changes go) and Cancel (keeps the document
// and the host), at QUIT, CLOSE and the window's close button. Scripts
// answer it with ANSWER; unanswered it lets go, so scripts ending with
// CLOSE or QUIT leave their files as they were.
#include "HostHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// The sample drawing saved as {dir}/d.dxf, its bytes returned.
std::string sampleAsDxf(HostHarness& host)
{
  const HostRun run = host.run(
    {"OPEN '" HOST_TEST_SAMPLE "'", "MATEDIT 'Blue steel' GLOSS 0.25", "SAVEAS {dir}/d.dxf", "DUMP {dump}", "QUIT"},
    HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  // Saved, it is no longer modified, and closes without a question.
  EXPECT_FALSE(run.dump()["documents"][0]["modified"].asBool());
  return host.readFile(L"d.dxf");
}

const JsonValue* material(const JsonValue& document, const std::string& name)
{
  for (const JsonValue& m : document["materials"].items())
    if (m["name"].asString() == name)
      return &m;
  return nullptr;
}

// Blue steel's diffuse colour in the drawing file, as the host reads it back.
std::string diffuseOnDisk(HostHarness& host)
{
  const HostRun run = host.run({"OPEN {dir}/d.dxf", "DUMP {dump}", "QUIT"}, HostHarness::withoutModule());
  const JsonValue dump = run.dump();
  const JsonValue* steel = material(dump["documents"][0], "Blue steel");
  return steel ? (*steel)["diffuse"]["color"].asString() : "(no Blue steel)";
}
} // namespace

TEST(HostCloseQuestion, YesSavesNoDiscardsAtQuit)
{
  HostHarness host;
  const std::string saved = sampleAsDxf(host);
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(diffuseOnDisk(host), "60,90,170");

  // No: the file stays byte for byte as it was.
  HostRun run =
    host.run({"OPEN {dir}/d.dxf", "MATEDIT 'Blue steel' DIFFUSE 10,20,30", "DUMP {dump}", "ANSWER NO", "QUIT"},
             HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_TRUE(run.dump()["documents"][0]["modified"].asBool());
  EXPECT_EQ(host.readFile(L"d.dxf"), saved);

  // Yes, but the drawing changed while the question was up: nothing is saved.
  run = host.run({"OPEN {dir}/d.dxf", "MATEDIT 'Blue steel' DIFFUSE 10,20,30",
                  "ANSWER RUN \"MATEDIT 'Blue steel' DIFFUSE 1,2,3\"", "ANSWER YES", "CLOSE", "QUIT"},
                 HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("d was not saved: the drawing changed while the question was open"), std::string::npos)
    << run.errors;
  EXPECT_EQ(host.readFile(L"d.dxf"), saved);

  // Yes: saved in place, and what is read back is the edited drawing.
  run = host.run({"OPEN {dir}/d.dxf", "MATEDIT 'Blue steel' DIFFUSE 10,20,30", "ANSWER YES", "QUIT"},
                 HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(host.readFile(L"d.dxf"), saved);
  EXPECT_EQ(diffuseOnDisk(host), "10,20,30");
}

TEST(HostCloseQuestion, CancelKeepsTheDocumentAndTheHostRunning)
{
  HostHarness host;
  const std::string saved = sampleAsDxf(host);
  // A line run while the question is open (DUMP) does not make the cancelled quit go on.
  const HostRun run =
    host.run({"OPEN {dir}/d.dxf", "MATEDIT 'Blue steel' DIFFUSE 10,20,30", "ANSWER RUN \"DUMP {dir}/asked.json\"",
              "ANSWER CANCEL", "QUIT", "ANSWER CANCEL", "CLOSE", "DUMP {dump}", "ANSWER NO", "QUIT"},
             HostHarness::withoutModule());
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  // The lines after the cancelled QUIT ran, and the document is still there, still modified.
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_TRUE(dump["documents"][0]["modified"].asBool());
  EXPECT_EQ((*material(dump["documents"][0], "Blue steel"))["diffuse"]["color"].asString(), "10,20,30");
  ASSERT_EQ(dump["messages"].size(), 2u);
  for (const JsonValue& message : dump["messages"].items())
  {
    EXPECT_EQ(message["text"].asString(), "Save changes to d?");
    EXPECT_EQ(message["buttons"].asString(), "yesnocancel");
    EXPECT_EQ(message["icon"].asString(), "question");
    EXPECT_EQ(message["answer"].asString(), "CANCEL");
  }
  EXPECT_EQ(host.readFile(L"d.dxf"), saved);
}

TEST(HostCloseQuestion, UnansweredItLetsTheChangesGoAndOnlyModifiedDocumentsAsk)
{
  HostHarness host;
  const std::string saved = sampleAsDxf(host);
  // A: read and saved, so clean. B: edited. C: edited, then saved.
  const HostRun run = host.run({"OPEN {dir}/d.dxf", "CLOSE", "OPEN {dir}/d.dxf",
                                "MATEDIT 'Blue steel' DIFFUSE 10,20,30", "CLOSE", "NEW Kept", "OPEN {dir}/d.dxf",
                                "MATEDIT 'Blue steel' DIFFUSE 1,2,3", "SAVE", "CLOSE", "DUMP {dump}", "QUIT"},
                               HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "Kept");
  ASSERT_EQ(dump["messages"].size(), 1u) << "only the edited, unsaved document asks";
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "NO");
  EXPECT_EQ(diffuseOnDisk(host), "1,2,3");
  EXPECT_NE(host.readFile(L"d.dxf"), saved);
}

TEST(HostCloseQuestion, YesForADocumentWithoutADxfFileAsksForOne)
{
  HostHarness host;
  // The first save dialog is cancelled: the document stays, nothing is written.
  // The second is answered: saved under that name, then closed.
  const HostRun run =
    host.run({"NEW", "MATERIAL Steel", "ANSWER YES", "CLOSE", "DUMP {dump}", "ANSWER YES", "ANSWER FILE {dir}/named",
              "CLOSE", "OPEN {dir}/named.dxf", "DUMP {dir}/after.json", "QUIT"},
             HostHarness::withoutModule());
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_EQ(dump["documents"][0]["title"].asString(), "Drawing1");
  EXPECT_TRUE(dump["documents"][0]["modified"].asBool());
  ASSERT_EQ(dump["fileDialogs"].size(), 1u);
  EXPECT_TRUE(dump["fileDialogs"][0]["save"].asBool());
  EXPECT_EQ(dump["fileDialogs"][0]["initialName"].asString(), "Drawing1.dxf");
  EXPECT_TRUE(dump["fileDialogs"][0]["answer"].isNull());
  // Read back: the closed document's material is in the file it named.
  const JsonValue after = JsonValue::parse(host.readFile(L"after.json"));
  ASSERT_EQ(after["documents"].size(), 1u);
  EXPECT_EQ(after["documents"][0]["title"].asString(), "named");
  EXPECT_NE(material(after["documents"][0], "Steel"), nullptr);
}

TEST(HostCloseButton, AModifiedDocumentAsksAndTheAnswerIsHonoured)
{
  HostHarness host;
  const std::string saved = sampleAsDxf(host);
  ASSERT_FALSE(saved.empty());
  const std::string edit = "MATEDIT 'Blue steel' DIFFUSE 10,20,30";

  // Cancel: the host runs on with the document; No: it ends, the file as it
  // was. (A Yes saves as at QUIT: HostCloseQuestion.)
  // Neither run has QUIT: only the close button ends it. Nothing stands
  // between the two clicks (the state is taken while the second question
  // is up), so they may come within the double-click time: each is a press.
  const HostRun run = host.run({"OPEN {dir}/d.dxf", edit, "ANSWER CANCEL", "FRAME CLOSE", "ANSWER RUN \"DUMP {dump}\"",
                                "ANSWER NO", "FRAME CLOSE"},
                               HostHarness::withoutModule());
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  const JsonValue dump = run.dump();
  ASSERT_EQ(dump["messages"].size(), 1u);
  EXPECT_EQ(dump["messages"][0]["text"].asString(), "Save changes to d?");
  EXPECT_EQ(dump["messages"][0]["buttons"].asString(), "yesnocancel");
  EXPECT_EQ(dump["messages"][0]["answer"].asString(), "CANCEL");
  ASSERT_EQ(dump["documents"].size(), 1u);
  EXPECT_TRUE(dump["documents"][0]["modified"].asBool());
  EXPECT_EQ(host.readFile(L"d.dxf"), saved);
}
