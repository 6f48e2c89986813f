#include "common/res/res_reader.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "setup/resources/resource.h"

namespace {

std::vector<uint8_t> ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class SetupResources : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(res::ParseResFile(ReadBytes(TQ_SETUP_RES_FILE), &entries_));
  }
  res::Dialog LoadDialog(uint16_t id) {
    res::Dialog d;
    const res::Entry* e = res::FindEntry(entries_, res::kTypeDialog, id);
    EXPECT_NE(e, nullptr) << id;
    if (e) {
      EXPECT_TRUE(res::ParseDialog(e->data, &d));
    }
    return d;
  }
  std::map<uint16_t, std::u16string> Strings() {
    std::map<uint16_t, std::u16string> s;
    for (const res::Entry& e : entries_)
      if (e.type.ordinal == res::kTypeStringTable) {
        EXPECT_TRUE(res::ParseStringBlock(e.name.ordinal, e.data, &s));
      }
    return s;
  }
  std::vector<res::Entry> entries_;
};

struct Expect { uint32_t id; int x, y, cx, cy; bool visible; };

void ExpectItems(const res::Dialog& d, const std::vector<Expect>& want) {
  ASSERT_EQ(d.items.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const res::DialogItem& it = d.items[i];
    SCOPED_TRACE(want[i].id);
    EXPECT_EQ(it.id, want[i].id);
    EXPECT_EQ(it.x, want[i].x); EXPECT_EQ(it.y, want[i].y);
    EXPECT_EQ(it.cx, want[i].cx); EXPECT_EQ(it.cy, want[i].cy);
    EXPECT_EQ((it.style & res::kStyleVisible) != 0, want[i].visible);
  }
}

void ExpectPage(const res::Dialog& d, int cx, int cy, uint16_t picture) {
  EXPECT_EQ(d.cx, cx); EXPECT_EQ(d.cy, cy);
  EXPECT_TRUE(d.style & res::kStyleChild);
  EXPECT_FALSE(d.style & res::kStyleVisible);
  EXPECT_EQ(d.font, u"Arial"); EXPECT_EQ(d.point_size, 9);
  ASSERT_FALSE(d.items.empty());
  EXPECT_EQ(d.items[0].text.ordinal, picture);
}

TEST_F(SetupResources, FrameAndTestDialogLayout) {
  res::Dialog f = LoadDialog(IDD_SETUP_WIZARD);
  EXPECT_EQ(f.cx, 319); EXPECT_EQ(f.cy, 191);
  EXPECT_EQ(f.caption, u"打印机驱动程序");
  EXPECT_EQ(f.font, u"Arial");
  ExpectItems(f, {{IDC_PAGE_AREA, 0, 0, 319, 168, false}, {IDC_BACK, 95, 173, 53, 15, true},
                  {IDC_NEXT, 150, 173, 53, 15, true}, {IDC_CANCEL, 205, 173, 53, 15, true},
                  {IDC_FINISH, 260, 173, 53, 15, true}});
  res::Dialog t = LoadDialog(IDD_PRINT_TEST_PAGE);
  EXPECT_EQ(t.cx, 220); EXPECT_EQ(t.cy, 124);
  EXPECT_EQ(t.caption, u"Dialog");
  ExpectItems(t, {{1, 107, 104, 50, 14, true}, {2, 161, 104, 50, 14, true}, {1028, 7, 6, 206, 92, true}});
  EXPECT_EQ(t.items[2].text.text, u"静态");
}

TEST_F(SetupResources, PageLayouts) {
  const uint32_t none = 0xFFFFFFFF;
  res::Dialog w = LoadDialog(IDD_WELCOME_PAGE);
  ExpectPage(w, 322, 165, IDB_SIDE_WELCOME);
  ExpectItems(w, {{none, 0, 0, 107, 207, true}, {1023, 102, 10, 211, 28, true}, {1026, 115, 48, 167, 48, true},
                  {1024, 175, 149, 145, 9, false}});
  res::Dialog c = LoadDialog(IDD_CONNECT_PAGE);
  ExpectPage(c, 317, 165, IDB_SIDE_CONNECT);
  ExpectItems(c, {{none, 0, 0, 91, 165, true}, {1029, 101, 10, 223, 25, true}, {1028, 116, 49, 168, 65, true}});
  res::Dialog d = LoadDialog(IDD_DETECT_PAGE);
  ExpectPage(d, 320, 165, IDB_SIDE_DETECT);
  ExpectItems(d, {{none, 0, 0, 91, 165, true}, {1030, 101, 10, 214, 14, true}, {1019, 114, 43, 66, 14, true},
                  {1018, 114, 62, 66, 14, true}, {1036, 123, 84, 73, 8, false}, {1035, 172, 151, 95, 13, true},
                  {1031, 101, 152, 66, 9, true}});
  EXPECT_EQ(d.items[6].text.text, u"正在初始化信息......");
  res::Dialog i = LoadDialog(IDD_INSTALL_PAGE);
  ExpectPage(i, 320, 165, IDB_SIDE_WELCOME);
  ExpectItems(i, {{none, 0, 0, 107, 207, true}, {1008, 101, 7, 209, 12, true}, {1003, 117, 47, 179, 12, true},
                  {1006, 117, 61, 179, 12, true}, {1007, 117, 75, 179, 12, false}, {1040, 256, 81, 57, 17, false},
                  {1027, 256, 103, 57, 17, false}, {1004, 102, 133, 210, 12, true}, {1005, 101, 150, 212, 14, true}});
  std::u16string progress_class = i.items[8].window_class.text;  // class names ignore case
  for (char16_t& ch : progress_class) ch = (ch >= u'A' && ch <= u'Z') ? ch - u'A' + u'a' : ch;
  EXPECT_EQ(progress_class, u"msctls_progress32");
}

TEST_F(SetupResources, StringTableTexts) {
  std::map<uint16_t, std::u16string> s = Strings();
  const std::map<uint16_t, std::u16string> want = {
      {464, u"上一步"}, {465, u"下一步"}, {466, u"取消"}, {467, u"完成"},
      {468, u"安装向导 - 欢迎使用%s打印机驱动安装程序"}, {472, u"欢迎使用%s打印机驱动程序安装向导"},
      {473, u"现在将安装%s打印机驱动程序到您的电脑中。\r\n\r\n推荐您在继续安装前关闭所有其他应用程序。\r\n\r\n"
            u"单击“下一步”继续，或单击“取消”退出安装程序。"},
      {475, u"首先关闭打印机电源。\r\n\r\n然后使用USB线缆或并口线缆连接电脑和打印机。\r\n\r\n最后打开打印机电源。"
            u"\r\n\r\n继续安装点击“下一步”。"},
      {478, u"使用USB线缆连接"}, {479, u"使用并口线缆连接"}, {480, u"安装向导 - 正在安装驱动程序"},
      {481, u"驱动程序安装信息"}, {482, u"系统版本过低，请在Win2000及以上的系统上安装"}, {487, u"未知的安装错误"},
      {489, u"安装成功，请点击“完成”退出"}, {490, u"安装向导 - 安装完成"}, {491, u"枚举打印机信息失败。错误代码：%d"},
      {492, u"正在获取系统信息..."}, {493, u"正在添加打印机..."}, {495, u"正在复制文件..."},
      {496, u"正在添加打印机驱动..."}, {497, u"%s打印机安装程序"}, {498, u"无法解压服务文件，请重新启动计算机！"},
      {499, u"安装失败，请点击“上一步”返回或点击“完成”退出"}, {500, u"端口:"}, {501, u"型号:"}, {502, u"名称:"},
      {503, u"正在将测试页发送到打印机。根据打印机速度不同，要花费一两分钟才能打印好。\r\n\r\n\r\n"
            u"测试页简要说明打印机打印图形和文字的能力，并提供关于打印机驱动程序的信息。\r\n\r\n\r\n"
            u"如果测试页已打印，请单击“确定”。\r\n如果未打印出测试页，请返回上一步重新安装驱动程序。"},
      {504, u" (副本 %d)"}, {507, u"正在检测打印机"}, {508, u"打印测试页"}, {509, u"安装向导 - 请连接打印机和电脑"},
      {511, u"没有检测到打印机！"}, {512, u"检测到打印机设备："},
      {513, u"没有检测到USB打印机设备。请返回上一步重新连接USB线缆并打开电源。"},
      {516, u"请按照以下步骤连接数据线"}, {517, u"打印机名称："}, {518, u"检测打印机设备"}};
  for (const auto& [id, text] : want) {
    SCOPED_TRACE(id);
    EXPECT_EQ(s[id], text);
  }
  const std::u16string url = s[520];
  EXPECT_EQ(url.rfind(u"http://", 0), 0u);
  EXPECT_EQ(s[474], u"访问 " + url + u" 获取更多");
}

TEST_F(SetupResources, ManifestAsksForAdministratorWithoutUiAccess) {
  const res::Entry* e = res::FindEntry(entries_, res::kTypeManifest, 1);
  ASSERT_NE(e, nullptr);
  std::string xml(e->data.begin(), e->data.end());
  EXPECT_NE(xml.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(xml.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(res::FindEntry(entries_, res::kTypeVersion, 1), nullptr);
  for (uint16_t id : {IDB_SIDE_CONNECT, IDB_SIDE_DETECT, IDB_SIDE_WELCOME})
    EXPECT_NE(res::FindEntry(entries_, res::kTypeBitmap, id), nullptr) << id;
}

TEST(ResReader, RejectsTruncatedInput) {
  std::vector<res::Entry> entries;
  std::vector<uint8_t> bytes = ReadBytes(TQ_SETUP_RES_FILE);
  ASSERT_GT(bytes.size(), 100u);
  bytes.resize(bytes.size() - 40);  // cuts into the last entry's data
  EXPECT_FALSE(res::ParseResFile(bytes, &entries));
  res::Dialog d;
  EXPECT_FALSE(res::ParseDialog({1, 0, 0xFF, 0xFF, 0}, &d));
}

}  // namespace
