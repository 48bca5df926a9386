// The window's controls at their designed places with their captions, hints and states,
// the status bar's design text and the menu tree.
#include "main/WindowFixture.h"

#include "main/LogBox.h"
#include "main/ShapeControl.h"
#include "main/StatusBar.h"

#include "params/FlexGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleFactory>

namespace testmain {
namespace {

struct Design {
    const char* name;
    const char* container;
    int left, top, width, height;  // twips
    const char* text;              // caption or text; nullptr: not checked
    const char* hint;
};

int Px(int twips) { return qRound(twips / 15.0); }

const Design kDesigns[] = {
    {"Frame1_0", "ViewFormClient", 50, -90, 3600, 2655, nullptr, ""},
    {"Label5_1", "Frame1_0", 150, 360, 900, 255, "Port：", ""},
    {"Label4_2", "Frame1_0", 150, 2330, 900, 255, "FrameLen：", ""},
    {"ComboSet_0", "Frame1_0", 1080, 240, 1215, 300, "Combo2", ""},
    {"ComboSet_5", "Frame1_0", 1080, 2300, 1215, 300, "512", ""},
    {"Command1", "Frame1_0", 2400, 240, 1095, 300, "AutoDetect",
     "Automatically detects available serial port"},
    {"Command2", "Frame1_0", 2400, 720, 1095, 300, "OpenUart", ""},
    {"Shape1", "Frame1_0", 2640, 1440, 615, 615, nullptr, ""},
    {"Frame2", "ViewFormClient", 3580, -90, 9975, 2655, nullptr, ""},
    {"Command3", "Frame2", 120, 240, 1095, 300, "Load File", "Choose to burning. BIN file"},
    {"InfLab", "Frame2", 1320, 240, 8500, 300, "", ""},
    {"PersLab", "Frame2", 1335, 255, 5000, 270, "", ""},
    {"RTB", "Frame2", 120, 600, 8700, 1935, nullptr, ""},
    {"Command4", "Frame2", 8880, 600, 975, 705, "Program", "Burning program"},
    {"Check1_3", "Frame2", 8880, 1360, 1020, 255, "AutoLoad", "Is the current effective set shall prevail"},
    {"Check1_0", "Frame2", 8880, 1650, 1020, 255, "Version", ""},
    {"Check1_2", "Frame2", 8880, 2250, 1020, 255, "CurrSet", "已当期有效设置为准"},
    {"MSFG_0", "ViewFormClient", 45, 3240, 12540, 6405, nullptr, "设置参数"},
    {"MSFG_1", "ViewFormClient", 45, 3240, 12540, 6405, nullptr, "显示参数"},
    {"InPutTxt_0", "ViewFormClient", 5880, 4200, 2000, 300, "fds", ""},
    {"MSFGList", "ViewFormClient", 5880, 4560, 2055, 3975, nullptr, ""},
    {"NotesTxt_0", "ViewFormClient", 2280, 3120, 6960, 5460, nullptr, ""},
    {"Frame3", "ViewFormClient", 12560, 2550, 950, 7095, nullptr, ""},
    {"MenuImg_0", "Frame3", 120, 240, 705, 705, nullptr, "删除参数恢复默认"},
    {"MenuImg_6", "Frame3", 120, 6120, 705, 705, nullptr, "读取控制器信息"},
    {"Shape2", "Frame3", 120, 240, 705, 705, nullptr, ""},
    {"TreeView", "ViewFormClient", 13500, 0, 5055, 6150, nullptr, "右键选择功能操作"},
    {"Label1_0", "ViewFormClient", 13500, 6195, 375, 1980, "         程  序  功  能  描  述 ", ""},
    {"NotesTxt_1", "ViewFormClient", 13860, 6195, 4650, 1980, nullptr, "最多512个字"},
    {"Label1_5", "ViewFormClient", 13500, 9300, 855, 300, "备注信息:", ""},
    {"NotesTxt_2", "ViewFormClient", 14340, 8160, 4215, 300, "", "双击选择目标文件"},
    {"NotesTxt_6", "ViewFormClient", 14340, 9300, 4215, 300, "", "最多5个字"},
};

QString TextOf(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* box = qobject_cast<QComboBox*>(control)) return box->currentText();
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->text();
    return {};
}

class WindowLayoutTest : public WindowFixture {};

TEST_F(WindowLayoutTest, ControlsStandAtTheirDesignedPlacesWithCaptionsAndHints)
{
    auto& form = Build();
    for (const Design& d : kDesigns) {
        SCOPED_TRACE(d.name);
        auto* control = form.findChild<QWidget*>(QString::fromUtf8(d.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), QString::fromUtf8(d.container));
        EXPECT_EQ(control->geometry(), QRect(Px(d.left), Px(d.top), Px(d.width), Px(d.height)));
        if (d.text) EXPECT_EQ(TextOf(control), QString::fromUtf8(d.text));
        EXPECT_EQ(control->toolTip(), QString::fromUtf8(d.hint));
    }
}

TEST_F(WindowLayoutTest, DesignStatesAndFonts)
{
    auto& form = Build();
    EXPECT_EQ(form.objectName(), "ViewForm");
    EXPECT_EQ(form.windowTitle(), "Burning");

    EXPECT_FALSE(form.Command4->isEnabled());
    EXPECT_TRUE(form.Command4->font().bold());
    EXPECT_DOUBLE_EQ(form.Command4->font().pointSizeF(), 10.5);
    EXPECT_TRUE(form.Command4->font().families().contains("SimSun"));
    EXPECT_TRUE(form.Check1[0]->isChecked());
    EXPECT_FALSE(form.Check1[0]->isEnabled());
    EXPECT_FALSE(form.Check1[1]->isChecked());
    EXPECT_FALSE(form.Check1[3]->isChecked());
    EXPECT_TRUE(form.Check1[2]->isHidden());
    EXPECT_FALSE(form.Check1[2]->isChecked());
    EXPECT_TRUE(form.PersLab->isHidden());
    EXPECT_TRUE(form.InPutTxt_0->isHidden());
    EXPECT_TRUE(form.MSFGList->isHidden());
    EXPECT_FALSE(form.MenuImg[4]->isEnabled());
    EXPECT_FALSE(form.Shape2->isHidden());
    EXPECT_EQ(form.Shape2->BorderWidth(), 1);
    EXPECT_EQ(form.Shape1->FillColor(), QColor(250, 0, 0));
    EXPECT_TRUE(form.RTB->isReadOnly());
    EXPECT_TRUE(form.RTB->Text().isEmpty());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(form.MSFG[i]->Rows(), 45);
        EXPECT_EQ(form.MSFG[i]->Cols(), 4);
        EXPECT_EQ(form.MSFG[i]->FixedRows(), 1);
        EXPECT_EQ(form.MSFG[i]->FixedCols(), 1);
    }
    EXPECT_EQ(form.MSFGList->Rows(), 2);
    EXPECT_EQ(form.MSFGList->FixedRows(), 0);
    EXPECT_EQ(form.MSFGList->FixedCols(), 0);
    EXPECT_TRUE(form.ComboSet[0]->isEditable());
}

TEST_F(WindowLayoutTest, StatusBarHasThreePanelsWithTheDesignText)
{
    auto& form = Build();
    EXPECT_EQ(form.SB->objectName(), "SB");
    EXPECT_EQ(form.SB->Panel(1), "串口未打开");
    EXPECT_EQ(form.SB->Panel(2), "");
    EXPECT_EQ(form.SB->Panel(3), "");
    form.SB->SetPanel(2, "x");
    EXPECT_EQ(form.SB->Panel(2), "x");
    EXPECT_THROW(form.SB->Panel(4), std::out_of_range);
}

QStringList VisibleEntries(QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions())
        if (action->isVisible()) entries << (action->isSeparator() ? "-" : action->text());
    return entries;
}

// The first row strictly inside the menu's border above "Exit" whose middle half is drawn
// in another colour than the menu's background; -1 when there is none.
int LineRowAboveExit(const QImage& menu, const QRect& exit)
{
    const QRgb background = menu.pixel(exit.right() - 4, exit.center().y());
    for (int y = 1; y < exit.top(); ++y) {
        bool line = true;
        for (int x = menu.width() / 4; x < menu.width() * 3 / 4 && line; ++x)
            line = menu.pixel(x, y) != background;
        if (line) return y;
    }
    return -1;
}

TEST_F(WindowLayoutTest, OpenFileMenuShowsTheSeparatorLineAboveExit)
{
    // Fusion is the style Qt picks under X11 when no desktop supplies a theme.
    static QStyle* const fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    ASSERT_NE(fusion, nullptr);
    auto& form = Build();
    form.file_menu->setStyle(fusion);
    form.file_menu->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    const QImage menu = form.file_menu->grab().toImage();
    const QRect exit = form.file_menu->actionGeometry(form.EndPro);
    form.file_menu->hide();
    EXPECT_GE(LineRowAboveExit(menu, exit), 1);
}

TEST_F(WindowLayoutTest, MenuBarOffersOnlyExitUnderFileAndTheThreeAboutEntries)
{
    auto& form = Build();
    QStringList titles;
    for (QAction* action : form.menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, QStringList({"File", "About"}));
    EXPECT_EQ(VisibleEntries(form.file_menu), QStringList({"-", "Exit"}));
    // The separator is drawn too, though nothing visible stands above it.
    EXPECT_GT(form.file_menu->actionGeometry(form.yhghg).height(), 0);
    EXPECT_LT(form.file_menu->actionGeometry(form.yhghg).bottom(), form.file_menu->actionGeometry(form.EndPro).top());
    EXPECT_EQ(VisibleEntries(form.about_menu),
              QStringList({"About Burning", "operation manual", "About Corvak Electronics"}));

    for (const char* hidden : {"CreatNewPro", "OpenPro", "fdsfds", "MCompFile", "SavePro", "SaveSet", "MDeleData"}) {
        auto* action = form.findChild<QAction*>(hidden);
        ASSERT_NE(action, nullptr) << hidden;
        EXPECT_FALSE(action->isVisible()) << hidden;
    }
    EXPECT_EQ(form.Medite->title(), "编辑(&E)");
    EXPECT_EQ(VisibleEntries(form.Medite),
              QStringList({"添加目录", "添加子集", "插入节点", "删除节点", "-", "复制数据", "粘贴数据", "-",
                           "剪切节点", "插入剪切"}));
    EXPECT_FALSE(form.MPaseteData->isEnabled());
    EXPECT_FALSE(form.MnodePast->isEnabled());
    EXPECT_TRUE(form.Mcopydata->isEnabled());
}

}  // namespace
}  // namespace testmain
