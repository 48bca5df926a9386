// The window's controls at their designed places, with captions, hints, fonts and
// design states.
#include "main/ViewForm.h"

#include "main/BackgroundPicture.h"
#include "main/CaptionFit.h"
#include "main/DisabledTipFilter.h"
#include "main/HintFilter.h"
#include "main/LogBox.h"
#include "main/PictureIcons.h"
#include "main/ShapeControl.h"
#include "main/StatusBar.h"
#include "main/WindowLook.h"

#include "params/FlexGrid.h"
#include "project/TreeView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace mainwin {

namespace {

// Designed client area of the window, in twips.
constexpr int kClientWidthTwips = 18585;
constexpr int kClientHeightTwips = 10470;

template <typename Control>
Control* Place(Control* control, const QString& name, const QRect& place)
{
    control->setObjectName(name);
    control->setGeometry(place);
    return control;
}

QGroupBox* CaptionlessFrame(QWidget* parent, const QString& name, const QRect& place)
{
    auto* frame = Place(new QGroupBox(parent), name, place);
    frame->setTitle(QString());
    return frame;
}

QLabel* TextLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& place)
{
    auto* label = Place(new QLabel(caption, parent), name, place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption,
                    const QRect& place, const QString& hint = {})
{
    auto* button = Place(new QPushButton(caption, parent), name, place);
    button->setToolTip(hint);
    return button;
}

QCheckBox* CheckBox(QWidget* parent, const QString& name, const QString& caption,
                    const QRect& place, const QString& hint)
{
    auto* box = Place(new QCheckBox(caption, parent), name, place);
    box->setToolTip(hint);
    return box;
}

void SetBackColor(QWidget* control, const QColor& color)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Window, color);
    control->setPalette(palette);
    control->setAutoFillBackground(true);
}

// A grid placed in twips, so that it reads its place back in the designed twips.
params::FlexGrid* GridControl(QWidget* parent, const QString& name, std::array<int, 4> twips,
                              int rows, int columns, int fixed)
{
    auto* grid = new params::FlexGrid(parent);
    grid->setObjectName(name);
    grid->SetLeft(twips[0]);
    grid->SetTop(twips[1]);
    grid->SetWidth(twips[2]);
    grid->SetHeight(twips[3]);
    grid->setFont(TableFont(9));
    grid->SetRows(rows);
    grid->SetCols(columns);
    grid->SetFixedRows(fixed);
    grid->SetFixedCols(fixed);
    return grid;
}

}  // namespace

void ViewForm::BuildLayout()
{
    setObjectName(QStringLiteral("ViewForm"));
    setWindowTitle(QStringLiteral("Burning"));
    setWindowIcon(QIcon(MenuPicture(3)));
    setFont(SimSunFont(9));

    auto* client = new BackgroundArea(this);
    client->setObjectName(QStringLiteral("ViewFormClient"));
    client->resize(Px(kClientWidthTwips), Px(kClientHeightTwips));
    setCentralWidget(client);

    BuildGrids(client);
    BuildProjectArea(client);
    BuildPictureMenu(client);
    BuildPortFrame(client);
    BuildProgramFrame(client);

    SB = new StatusBar(this);
    setStatusBar(SB);

    MBTim = new QTimer(this);
    MBTim->setObjectName(QStringLiteral("MBTim"));

    hints_ = new HintFilter(*SB, this);
    WatchHints();
    disabledTips_ = new DisabledTipFilter(this);
    disabledTips_->WatchAll(*this);
    FitCaptions();
}

void ViewForm::FitCaptions()
{
    FitCaptionsAlike({Label5_1, Label14, Label2_1, Label3_1, Label4_1, Label4_2});
    QWidget* captioned[] = {Command1,  Command3,  Check1[0], Check1[1], Check1[2], Check1[3],
                            Label1[1], Label1[2], Label1[3], Label1[4], Label1[5]};
    for (QWidget* control : captioned) FitCaption(*control);
    FitCaption(*Command2, {QStringLiteral("CloseUart")});
    FitCaption(*Command4, {QStringLiteral("Stop")});
}

void ViewForm::BuildPortFrame(QWidget* client)
{
    Frame1_0 = CaptionlessFrame(client, QStringLiteral("Frame1_0"), TwipsRect(50, -90, 3600, 2655));
    Label5_1 = TextLabel(Frame1_0, QStringLiteral("Label5_1"), QStringLiteral("Port："),
                         TwipsRect(150, 360, 900, 255));
    Label14 = TextLabel(Frame1_0, QStringLiteral("Label14"), QStringLiteral("BaudRate："),
                        TwipsRect(150, 780, 900, 255));
    Label2_1 = TextLabel(Frame1_0, QStringLiteral("Label2_1"), QStringLiteral("Old Even："),
                         TwipsRect(150, 1170, 900, 255));
    Label3_1 = TextLabel(Frame1_0, QStringLiteral("Label3_1"), QStringLiteral("DatBits："),
                         TwipsRect(150, 1605, 900, 255));
    Label4_1 = TextLabel(Frame1_0, QStringLiteral("Label4_1"), QStringLiteral("StopBit："),
                         TwipsRect(150, 1970, 900, 255));
    Label4_2 = TextLabel(Frame1_0, QStringLiteral("Label4_2"), QStringLiteral("FrameLen："),
                         TwipsRect(150, 2330, 900, 255));

    const std::array<int, 6> tops{240, 720, 1130, 1560, 1920, 2300};
    const std::array<QString, 6> designTexts{
        QStringLiteral("Combo2"), QStringLiteral("57600"), QStringLiteral("None"),
        QStringLiteral("8"),      QStringLiteral("1"),     QStringLiteral("512")};
    for (int i = 0; i < 6; ++i) {
        auto* box = Place(new QComboBox(Frame1_0), QStringLiteral("ComboSet_%1").arg(i),
                          TwipsRect(1080, tops[i], 1215, 300));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        // What the user types is what counts: no completion from the list.
        box->setCompleter(nullptr);
        box->setEditText(designTexts[i]);
        ComboSet[i] = box;
    }

    Command1 = Button(Frame1_0, QStringLiteral("Command1"), QStringLiteral("AutoDetect"),
                      TwipsRect(2400, 240, 1095, 300),
                      QStringLiteral("Automatically detects available serial port"));
    Command2 = Button(Frame1_0, QStringLiteral("Command2"), QStringLiteral("OpenUart"),
                      TwipsRect(2400, 720, 1095, 300));
    Shape1 = Place(new ShapeControl(ShapeControl::Kind::Circle, Frame1_0), QStringLiteral("Shape1"),
                   TwipsRect(2640, 1440, 615, 615));
    Shape1->SetFillColor(QColor(250, 0, 0));
}

void ViewForm::BuildProgramFrame(QWidget* client)
{
    Frame2 = CaptionlessFrame(client, QStringLiteral("Frame2"), TwipsRect(3580, -90, 9975, 2655));
    Command3 = Button(Frame2, QStringLiteral("Command3"), QStringLiteral("Load File"),
                      TwipsRect(120, 240, 1095, 300), QStringLiteral("Choose to burning. BIN file"));

    InfLab = TextLabel(Frame2, QStringLiteral("InfLab"), QString(), TwipsRect(1320, 240, 8500, 300));
    InfLab->setFont(SimSunFont(10.5));
    PersLab = TextLabel(Frame2, QStringLiteral("PersLab"), QString(), TwipsRect(1335, 255, 5000, 270));
    PersLab->setFont(SimSunFont(10.5));
    SetBackColor(PersLab, QColor(0, 255, 0));
    PersLab->setVisible(false);

    RTB = Place(new LogBox(Frame2), QStringLiteral("RTB"), TwipsRect(120, 600, 8700, 1935));

    Command4 = Button(Frame2, QStringLiteral("Command4"), QStringLiteral("Program"),
                      TwipsRect(8880, 600, 975, 705), QStringLiteral("Burning program"));
    Command4->setFont(SimSunFont(10.5, true));
    Command4->setEnabled(false);

    Check1[3] = CheckBox(Frame2, QStringLiteral("Check1_3"), QStringLiteral("AutoLoad"),
                         TwipsRect(8880, 1360, 1020, 255),
                         QStringLiteral("Is the current effective set shall prevail"));
    Check1[0] = CheckBox(Frame2, QStringLiteral("Check1_0"), QStringLiteral("Version"),
                         TwipsRect(8880, 1650, 1020, 255), QString());
    Check1[0]->setChecked(true);
    Check1[0]->setEnabled(false);
    Check1[1] = CheckBox(Frame2, QStringLiteral("Check1_1"), QStringLiteral("KeepInF"),
                         TwipsRect(8880, 1950, 1020, 255), QStringLiteral("Keep factory Settings"));
    Check1[2] = CheckBox(Frame2, QStringLiteral("Check1_2"), QStringLiteral("CurrSet"),
                         TwipsRect(8880, 2250, 1020, 255), QStringLiteral("已当期有效设置为准"));
    Check1[2]->setVisible(false);
}

void ViewForm::BuildGrids(QWidget* client)
{
    MSFG[0] = GridControl(client, QStringLiteral("MSFG_0"), {45, 3240, 12540, 6405}, 45, 4, 1);
    MSFG[0]->setToolTip(QStringLiteral("设置参数"));
    MSFG[1] = GridControl(client, QStringLiteral("MSFG_1"), {45, 3240, 12540, 6405}, 45, 4, 1);
    MSFG[1]->setToolTip(QStringLiteral("显示参数"));

    InPutTxt_0 = Place(new QLineEdit(QStringLiteral("fds"), client), QStringLiteral("InPutTxt_0"),
                       TwipsRect(5880, 4200, 2000, 300));
    InPutTxt_0->setFont(SimSunFont(10.5));
    InPutTxt_0->setVisible(false);

    MSFGList = GridControl(client, QStringLiteral("MSFGList"), {5880, 4560, 2055, 3975}, 2, 1, 0);
    // The list is made as tall as its choices and 20 twips more; a frame would take more
    // than that and call up a scroll bar over them.
    MSFGList->setFrameShape(QFrame::NoFrame);
    MSFGList->setVisible(false);
}

void ViewForm::BuildPictureMenu(QWidget* client)
{
    Frame3 = CaptionlessFrame(client, QStringLiteral("Frame3"), TwipsRect(12560, 2550, 950, 7095));
    const std::array<int, 7> tops{240, 1200, 2120, 3120, 4080, 5100, 6120};
    const std::array<QString, 7> hints{
        QStringLiteral("删除参数恢复默认"), QStringLiteral("读取控制器当前设置参数"),
        QStringLiteral("设置下载到控制器"), QStringLiteral("设置保存到控制器"),
        QStringLiteral("保存修改参数"),     QStringLiteral("显示运行参数"),
        QStringLiteral("读取控制器信息")};
    for (int i = 0; i < 7; ++i) {
        auto* picture = Place(new QLabel(Frame3), QStringLiteral("MenuImg_%1").arg(i),
                              TwipsRect(120, tops[i], 705, 705));
        picture->setScaledContents(true);
        picture->setPixmap(MenuPicture(i));
        picture->setToolTip(hints[i]);
        picture->setMouseTracking(true);
        MenuImg[i] = picture;
    }
    MenuImg[4]->setEnabled(false);

    Shape2 = Place(new ShapeControl(ShapeControl::Kind::Rectangle, Frame3), QStringLiteral("Shape2"),
                   TwipsRect(120, tops[0], 705, 705));
    Shape2->SetBorderWidth(1);
    Shape2->raise();
}

void ViewForm::BuildProjectArea(QWidget* client)
{
    auto* scratch = Place(new QPlainTextEdit(client), QStringLiteral("NotesTxt_0"),
                          TwipsRect(2280, 3120, 6960, 5460));
    scratch->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    NotesTxt[0] = scratch;

    TreeView = Place(new project::TreeView(client), QStringLiteral("TreeView"), TwipsRect(13500, 0, 5055, 6150));
    TreeView->setHeaderHidden(true);
    TreeView->setToolTip(QStringLiteral("右键选择功能操作"));

    Label1[0] = TextLabel(client, QStringLiteral("Label1_0"),
                          QStringLiteral("         程  序  功  能  描  述 "),
                          TwipsRect(13500, 6195, 375, 1980));
    Label1[0]->setWordWrap(true);

    auto* description = Place(new QPlainTextEdit(client), QStringLiteral("NotesTxt_1"),
                              TwipsRect(13860, 6195, 4650, 1980));
    description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    description->setToolTip(QStringLiteral("最多512个字"));
    NotesTxt[1] = description;

    Line1 = Place(new QFrame(client), QStringLiteral("Line1"), TwipsRect(18540, 6120, 15, 2040));
    Line1->setFrameShape(QFrame::VLine);
    QPalette linePalette = Line1->palette();
    linePalette.setColor(QPalette::WindowText, QColor(64, 64, 64));
    Line1->setPalette(linePalette);

    const std::array<int, 5> tops{8160, 8450, 8730, 9020, 9300};
    const std::array<QString, 5> captions{QStringLiteral("程序文件:"), QStringLiteral("配置文件:"),
                                          QStringLiteral("显示文件:"), QStringLiteral("订单编号:"),
                                          QStringLiteral("备注信息:")};
    const std::array<QString, 5> hints{QStringLiteral("双击选择目标文件"), QStringLiteral("保留"),
                                       QStringLiteral("保留"), QString(), QStringLiteral("最多5个字")};
    for (int i = 0; i < 5; ++i) {
        Label1[i + 1] = TextLabel(client, QStringLiteral("Label1_%1").arg(i + 1), captions[i],
                                  TwipsRect(13500, tops[i], 855, 300));
        auto* box = Place(new QLineEdit(client), QStringLiteral("NotesTxt_%1").arg(i + 2),
                          TwipsRect(14340, tops[i], 4215, 300));
        box->setToolTip(hints[i]);
        NotesTxt[i + 2] = box;
    }
}

void ViewForm::WatchHints()
{
    hints_->Watch(Command1);
    hints_->Watch(Command3);
    for (QCheckBox* box : Check1) hints_->Watch(box);
}

}  // namespace mainwin
