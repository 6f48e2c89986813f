// setup's start-up and its pages, run headless from InitInstance on a
// simulated PC: titles, texts, fonts, colours and what the pages hand on.
#include <string>

#include "setup/app/setup_app.h"
#include "setup/pages/print_test_page_dialog.h"
#include "setup/resources/resource.h"
#include "tests/setup/app/shell_env.h"

namespace {

const char kInf[] =
    "[Manufacturer]\r\n\"TAVIR\"=TAVIR\r\n[TAVIR]\r\n"
    "\"TQ-5800\" = TQ5800, USBPRINT\\TAVIRTQ-5800TQMM\r\n"
    "\"TQ-5800\" = TQ5800, LPTENUM\\TAVIRTQ-5800\r\n";

class SetupPagesTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    TheSetupContext() = SetupContext();
    TheSetupContext().portKind = L"LPT";  // start-up puts back the fixed values
    TheSetupContext().companyNameCn.clear();
  }
  void WriteInf() { ASSERT_TRUE(pc_->files().WriteFileBytes(L"C:\\TQPrinterSetup\\TQPRINTER.INF", kInf)); }
  void Press(int id) {
    windows_.Then([this, id] { ASSERT_TRUE(windows_.Click(Control(id))) << "button " << id; });
  }
  fw::HWND PageControl(int id) const {
    // The shown page's control: pages reuse the frame's ids, so search below the page area.
    for (fw::HWND top : windows_.TopLevelWindows()) {
      for (fw::HWND child : windows_.Children(top)) {
        if (windows_.ClassName(child) == L"#32770" && windows_.IsVisible(child)) return windows_.Child(child, id);
      }
    }
    return 0;
  }
  fw::LOGFONTW FontOf(fw::HWND window) {
    fw::LOGFONTW font{};
    EXPECT_TRUE(windows_.GetFontDescription(windows_.Font(window), &font));
    return font;
  }
  void ExpectHeadingFont(fw::HWND window) {
    fw::LOGFONTW font = FontOf(window);
    EXPECT_EQ(font.lfHeight, 20);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
    EXPECT_EQ(font.lfCharSet, fw::DEFAULT_CHARSET);
    EXPECT_EQ(font.lfPitchAndFamily, fw::FF_SWISS);
  }

  SetupApp app;
};

TEST_F(SetupPagesTest, WalksAllFourPagesAndHandsOnTheChoices) {
  WriteInf();
  SetupContext& context = TheSetupContext();
  windows_.Then([&] {
    EXPECT_EQ(TopTitle(), L"安装向导 - 欢迎使用朗明打印机驱动安装程序");
    EXPECT_EQ(Buttons(), "DEED");
    EXPECT_EQ(windows_.Text(PageControl(1023)), L"欢迎使用朗明打印机驱动程序安装向导");
    EXPECT_EQ(windows_.Text(PageControl(1026)),
              L"现在将安装朗明打印机驱动程序到您的电脑中。\r\n\r\n推荐您在继续安装前关闭所有其他应用程序。\r\n\r\n"
              L"单击“下一步”继续，或单击“取消”退出安装程序。");
    ExpectHeadingFont(PageControl(1023));
    fw::HWND link = windows_.Child(windows_.GetParent(PageControl(1026)), 1024);
    EXPECT_FALSE(windows_.IsVisible(link));
    EXPECT_EQ(windows_.Text(link), L"访问 http://www.tavir.com.cn 获取更多");
    // The welcome page keeps the system's colours: the dialog face, not the
    // other pages' white background or hollow brush.
    ExpectSystemLook(windows_.GetParent(PageControl(1026)));
    // Start-up gave the context its fixed values and the INF's identity.
    EXPECT_EQ(context.companyNameCn, L"朗明");
    EXPECT_EQ(context.portKind, L"USB");
    EXPECT_EQ(context.usbHardwareId, L"USBPRINT\\TAVIRTQ-5800TQMM");
    EXPECT_EQ(context.driverModel, L"TQ-5800");
    EXPECT_EQ(windows_.ControlContainerCalls(), 1);
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    EXPECT_EQ(TopTitle(), L"安装向导 - 请连接打印机和电脑");
    EXPECT_EQ(Buttons(), "EEED");
    EXPECT_EQ(windows_.Text(PageControl(1029)), L"请按照以下步骤连接数据线");
    EXPECT_EQ(windows_.Text(PageControl(1028)),
              L"首先关闭打印机电源。\r\n\r\n然后使用USB线缆或并口线缆连接电脑和打印机。\r\n\r\n最后打开打印机电源。"
              L"\r\n\r\n继续安装点击“下一步”。");
    ExpectHeadingFont(PageControl(1029));
    ExpectWhiteLook(windows_.GetParent(PageControl(1028)));
    context.portKind = L"LPT";  // as a detection run might have left it
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    EXPECT_EQ(context.portKind, L"USB");  // the connection page starts over with USB
    EXPECT_EQ(TopTitle(), L"安装向导 - 请连接打印机和电脑");
    EXPECT_EQ(windows_.Text(PageControl(1030)), L"检测打印机设备");
    EXPECT_EQ(windows_.Text(PageControl(1019)), L"使用USB线缆连接");
    EXPECT_EQ(windows_.Text(PageControl(1018)), L"使用并口线缆连接");
    EXPECT_EQ(windows_.Text(PageControl(1036)), L"打印机名称：");
    EXPECT_FALSE(windows_.IsVisible(PageControl(1036)));
    ExpectHeadingFont(PageControl(1030));
    ExpectWhiteLook(windows_.GetParent(PageControl(1030)));
    // Nothing was found: the name box has the focus for the user to correct the name.
    EXPECT_EQ(windows_.GetFocus(), PageControl(1035));
    ASSERT_TRUE(windows_.Click(PageControl(1018)));
    ASSERT_TRUE(windows_.Type(PageControl(1035), L"TQ-5800 (办公室)"));
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    EXPECT_EQ(context.portKind, L"LPT");
    EXPECT_EQ(context.modelName, L"TQ-5800 (办公室)");
    // The install ran; no print UI on this PC added a printer (result 30), so
    // Back stays on beside Finish.
    EXPECT_EQ(Buttons(), "EDDE");
    ExpectHeadingFont(PageControl(1008));
    ExpectWhiteLook(windows_.GetParent(PageControl(1008)));
    EXPECT_FALSE(windows_.IsVisible(PageControl(1007)));
    EXPECT_FALSE(windows_.IsVisible(PageControl(1027)));
    fw::HWND testPage = windows_.Child(windows_.GetParent(PageControl(1008)), 1027);
    EXPECT_EQ(windows_.Text(testPage), L"打印测试页");
  });
  Press(IDC_FINISH);
  app.InitInstance();
  EXPECT_EQ(windows_.LiveWindows(), 0u);
  EXPECT_EQ(windows_.LiveGdiObjects(), 0);  // pages and their fonts went with start-up's stack
}

TEST_F(SetupPagesTest, BackFromTheInstallPageReopensDetectionAndCancelEnds) {
  WriteInf();
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  Press(IDC_NEXT);
  // No USB printer is connected, so the install ends with result 3, which
  // leaves Back on beside Finish.
  windows_.Then([&] { EXPECT_EQ(Buttons(), "EDDE"); });
  Press(IDC_BACK);
  windows_.Then([&] {
    EXPECT_EQ(windows_.Text(PageControl(1030)), L"检测打印机设备");
    EXPECT_EQ(Buttons(), "EEED");
  });
  Press(IDC_CANCEL);
  app.InitInstance();
  EXPECT_EQ(windows_.LiveWindows(), 0u);
}

TEST_F(SetupPagesTest, AMissingInfIsReportedAndNoWizardShows) {
  // A wizard's message loop would run this step at its first idle moment.
  bool wizardLooped = false;
  windows_.Then([&] { wizardLooped = true; });
  app.InitInstance();
  EXPECT_FALSE(wizardLooped);
  ASSERT_EQ(pc_->system().messageBoxes().size(), 1u);
  const auto& box = pc_->system().messageBoxes().front();
  EXPECT_NE(box.text.find(L"TQPRINTER.INF"), std::wstring::npos);
  EXPECT_EQ(box.caption, L"朗明打印机安装程序");
  EXPECT_EQ(box.type & 0xF0u, pf::MB_ICONERROR);
  EXPECT_EQ(windows_.LiveGdiObjects(), 0);
  fw::MSG msg;
  windows_.GetMessageW(&msg);  // the step no wizard used
}

// The page windows of the wizard frame, in the order they were made.
std::vector<fw::HWND> PageWindows(const ScriptedWindows& windows) {
  std::vector<fw::HWND> pages;
  for (fw::HWND child : windows.Children(windows.TopLevelWindows().front())) {
    if (windows.ClassName(child) == L"#32770") pages.push_back(child);
  }
  return pages;
}

struct PictureCase {
  int bitmapId, cx, cy;  // the frame in dialog units
};
// Welcome, connection, detection, install.
const PictureCase kPictures[] = {{IDB_SIDE_WELCOME, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY},
                                 {IDB_SIDE_CONNECT, SIDE_PICTURE_CX, SIDE_PICTURE_CY},
                                 {IDB_SIDE_DETECT, SIDE_PICTURE_CX, SIDE_PICTURE_CY},
                                 {IDB_SIDE_WELCOME, SIDE_PICTURE_TALL_CX, SIDE_PICTURE_TALL_CY}};

class SidePictureTest : public SetupPagesTest {
 protected:
  // The side picture of page `index` at `dpi`: a bitmap of its own, drawn
  // from the page's bitmap resource, all of it stretched in HALFTONE mode
  // (with the brush origin set after) to the frame's size at that DPI (the
  // headless dialog units: 6 x 13 pixels at 96 DPI), and the static as big.
  void ExpectPictureFills(int index, fw::UINT dpi) {
    SCOPED_TRACE("page " + std::to_string(index) + " at " + std::to_string(dpi) + " DPI");
    const std::vector<fw::HWND> pages = PageWindows(windows_);
    ASSERT_LT(index, static_cast<int>(pages.size()));
    const PictureCase& want = kPictures[index];
    const fw::HWND picture = windows_.Child(pages[index], IDC_NONE);
    fw::headless::BitmapRecord bitmap;
    ASSERT_TRUE(windows_.Bitmap(windows_.Image(picture), &bitmap));
    EXPECT_EQ(bitmap.resourceId, want.bitmapId);
    EXPECT_EQ(bitmap.stretchMode, fw::HALFTONE);
    EXPECT_TRUE(bitmap.brushOriginSet);
    EXPECT_TRUE(bitmap.wholeToWhole);
    EXPECT_FALSE(bitmap.selected);
    // Measured once in dialog units and scaled since, so within a pixel.
    EXPECT_NEAR(bitmap.cx, want.cx * 6 * static_cast<int>(dpi) / 384, 1);
    EXPECT_NEAR(bitmap.cy, want.cy * 13 * static_cast<int>(dpi) / 768, 1);
    fw::RECT client{};
    ASSERT_TRUE(windows_.GetClientRect(picture, &client));
    EXPECT_EQ(client.right, bitmap.cx);
    EXPECT_EQ(client.bottom, bitmap.cy);
  }
  void ExpectHeadingHeight(int index, int id, fw::LONG height) {
    fw::LOGFONTW font{};
    ASSERT_TRUE(windows_.GetFontDescription(windows_.Font(windows_.Child(PageWindows(windows_)[index], id)), &font));
    EXPECT_EQ(font.lfHeight, height) << "page " << index << ", control " << id;
    EXPECT_EQ(font.lfWeight, fw::FW_BOLD);
  }
};

// At 150% and 200% the pages' pictures fill their frames, smoothly scaled, and
// the headings grow with the dialog font; when the wizard moves to a monitor
// of another DPI, every page made so far follows, and one made after is made
// at the new DPI. Nothing is left behind: the bitmaps the statics loaded from
// the templates are the program's to delete once it has set its own.
TEST_F(SidePictureTest, PicturesFillTheirFramesAtAnyDpiAndFollowADpiChange) {
  WriteInf();
  windows_.SetDpi(144);
  windows_.Then([&] {
    EXPECT_EQ(windows_.GetDpiForWindow(PageWindows(windows_)[0]), 144u);
    ExpectPictureFills(0, 144);
    ExpectHeadingHeight(0, IDC_WELCOME_HEADING, 30);
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    ExpectPictureFills(1, 144);
    ExpectHeadingHeight(1, IDC_CONNECT_HEADING, 30);
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    ExpectPictureFills(2, 144);
    const fw::HWND frame = windows_.TopLevelWindows().front();
    const fw::RECT before = windows_.Rect(frame);
    windows_.ChangeDpi(frame, 192);
    const fw::RECT after = windows_.Rect(frame);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.right - after.left, (before.right - before.left) * 4 / 3);
    for (int page = 0; page < 3; ++page) ExpectPictureFills(page, 192);
    ExpectHeadingHeight(0, IDC_WELCOME_HEADING, 40);
    ExpectHeadingHeight(1, IDC_CONNECT_HEADING, 40);
    ExpectHeadingHeight(2, IDC_DETECT_HEADING, 40);
  });
  Press(IDC_NEXT);
  windows_.Then([&] {
    ExpectPictureFills(3, 192);
    ExpectHeadingHeight(3, IDC_INSTALL_HEADING, 40);
  });
  Press(IDC_FINISH);
  app.InitInstance();
  EXPECT_EQ(windows_.LiveWindows(), 0u);
  EXPECT_EQ(windows_.LiveGdiObjects(), 0);
  EXPECT_EQ(windows_.LiveDcs(), 0);
}

TEST_F(SetupPagesTest, TestPageDialogShowsThePrinterNameAndKeepsEnter) {
  CPrintTestPageDialog dialog;
  dialog.SetPrinterName(L"TQ-5800 (副本 2)");
  windows_.Then([&] {
    fw::HWND top = windows_.TopLevelWindows().front();
    EXPECT_EQ(windows_.Text(top), L"TQ-5800 (副本 2)");
    std::wstring text = windows_.Text(windows_.Child(top, 1028));
    EXPECT_EQ(text.find(L"正在将测试页发送到打印机。"), 0u);
    EXPECT_NE(text.find(L"能力，并提供关于打印机驱动程序的信息。\r\n\r\n\r\n如果测试页已打印，请单击“确定”。\r\n如果未打印"),
              std::wstring::npos);
    windows_.PressKey(windows_.Child(top, 1028), fw::VK_RETURN);
  });
  EXPECT_EQ(dialog.DoModal(), 1);

  CPrintTestPageDialog unnamed;
  windows_.Then([&] {
    EXPECT_EQ(windows_.Text(windows_.TopLevelWindows().front()), L"");
    windows_.PressKey(windows_.TopLevelWindows().front(), fw::VK_ESCAPE);
  });
  EXPECT_EQ(unnamed.DoModal(), 2);
}

}  // namespace
