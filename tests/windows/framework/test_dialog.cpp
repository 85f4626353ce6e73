// The dialog class: a dialog from a template reaches the one dispatch point
// of CWnd (init, commands, destroy), leaves what it does not handle to the
// dialog manager, and passes the owner-draw questions on to the control
// they are about, as the property grid needs.
#include "framework/Dialog.h"
#include "win32/TWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr UINT kTemplate = 300, kList = 301, kStatic = 302;
constexpr UINT kReflectedHeight = 33;

class Probe : public fw::hostUiDialog
{
public:
  explicit Probe(std::vector<std::string>& log) : hostUiDialog(kTemplate), m_log(log) {}
  ~Probe() override { destroy(); }
  RECT listAtInit{};

protected:
  bool onInitDialog() override
  {
    m_log.push_back(item(kList) && item(kStatic) ? "init with controls" : "init without controls");
    listAtInit = itemRect(kList);
    return true;
  }
  bool onCommand(UINT id, UINT, HWND) override
  {
    // The list box's own notifications (it has the notify style) are not counted.
    if (id != kList)
      m_log.push_back("command " + std::to_string(id));
    return id == 42;
  }
  void onDestroy() override { m_log.push_back("destroy"); }

private:
  std::vector<std::string>& m_log;
};

// A list box that answers the reflected measure question as the grid does.
class ReflectedList : public win::TWnd<ReflectedList>
{
public:
  int questions = 0;

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == fw::kReflectBase + WM_MEASUREITEM)
    {
      ++questions;
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kReflectedHeight;
      return TRUE;
    }
    return TWnd::windowProc(message, wParam, lParam);
  }
};

TEST(Dialog, MadeFromItsTemplateReachesTheHandlersAndLeavesTheRestToTheDialogManager)
{
  std::vector<std::string> log;
  {
    Probe dialog(log);
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_EQ(fw::CWnd::fromHandle(dialog.hwnd()), &dialog);
    EXPECT_GT(dialog.listAtInit.right - dialog.listAtInit.left, 0) << "control rectangles in client coordinates";
    EXPECT_GT(dialog.listAtInit.top, 0);

    // A handled command and one left over; both reach the handler.
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(42, 0), 0);
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(43, 0), 0);
    // What no handler takes is answered by the dialog manager itself.
    EXPECT_EQ(HIWORD(SendMessageW(dialog.hwnd(), DM_GETDEFID, 0, 0)), DC_HASDEFID);
    EXPECT_FALSE(dialog.Create(nullptr)) << "one window per object";
  }
  EXPECT_EQ(log, (std::vector<std::string>{"init with controls", "command 42", "command 43", "destroy"}));
}

TEST(Dialog, OwnerDrawQuestionsGoToTheControlTheyNameAndDefaultWhenItIsSilent)
{
  std::vector<std::string> log;
  Probe dialog(log);
  ASSERT_TRUE(dialog.Create(nullptr));
  HWND list = dialog.item(kList);
  // A plain list box knows no reflected message: the dialog manager's height stays.
  SendMessageW(list, LB_ADDSTRING, 0, 1);
  const LRESULT plainHeight = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  EXPECT_GT(plainHeight, 0);
  EXPECT_NE(plainHeight, LRESULT(kReflectedHeight));

  ReflectedList reflected;
  ASSERT_TRUE(reflected.subclass(list));
  // Sorted without strings: the place of the new item is the list's to choose.
  const LRESULT added = SendMessageW(list, LB_ADDSTRING, 0, 2);
  EXPECT_EQ(reflected.questions, 1);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, WPARAM(added), 0), LRESULT(kReflectedHeight));
  dialog.destroy();
  EXPECT_FALSE(dialog.exists());
}

TEST(Dialog, AMissingTemplateMakesNoWindow)
{
  std::vector<std::string> log;
  fw::hostUiDialog missing(9999);
  EXPECT_FALSE(missing.Create(nullptr));
  EXPECT_EQ(missing.hwnd(), nullptr);
}
} // namespace
