// The menu tree. Hidden entries exist as actions all the same; the Edit menu is only the
// tree's pop-up and never sits on the menu bar.
#include "main/ViewForm.h"

#include "main/AboutMenu.h"

#include "common/DateText.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace mainwin {

namespace {

// Pixels between the menu panel's top border and the separator that opens the File menu.
constexpr int kFirstSeparatorClearance = 3;

QAction* Entry(QMenu* menu, const QString& name, const QString& caption, bool visible = true)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

QAction* Separator(QMenu* menu, const QString& name, bool visible = true)
{
    QAction* action = menu->addSeparator();
    action->setObjectName(name);
    action->setVisible(visible);
    return action;
}

}  // namespace

void ViewForm::BuildMenus()
{
    file_menu = menuBar()->addMenu(QStringLiteral("File"));
    file_menu->setObjectName(QStringLiteral("file_menu"));
    // The menu shows a separator above "Exit" although every entry above it is hidden.
    file_menu->setSeparatorsCollapsible(false);
    // Styles that give a menu no frame width or margin (Fusion, the default under X11) put
    // the first entry on the panel's border, where a separator's line merges with it.
    file_menu->setContentsMargins(0, kFirstSeparatorClearance, 0, 0);
    CreatNewPro = Entry(file_menu, QStringLiteral("CreatNewPro"), QStringLiteral("新建工程"), false);
    OpenPro = Entry(file_menu, QStringLiteral("OpenPro"), QStringLiteral("打开工程"), false);
    fdsfds = Separator(file_menu, QStringLiteral("fdsfds"), false);
    MCompFile = Entry(file_menu, QStringLiteral("MCompFile"), QStringLiteral("合并文件"), false);
    SavePro = Entry(file_menu, QStringLiteral("SavePro"), QStringLiteral("保存程序"), false);
    SaveSet = Entry(file_menu, QStringLiteral("SaveSet"), QStringLiteral("保存设置"), false);
    yhghg = Separator(file_menu, QStringLiteral("yhghg"));
    EndPro = Entry(file_menu, QStringLiteral("EndPro"), QStringLiteral("Exit"));

    about_menu = menuBar()->addMenu(QStringLiteral("About"));
    about_menu->setObjectName(QStringLiteral("about_menu"));
    AboutMe = Entry(about_menu, QStringLiteral("AboutMe"), QStringLiteral("About Burning"));
    PeoHelp = Entry(about_menu, QStringLiteral("PeoHelp"), QStringLiteral("operation manual"));
    AboutVostel = Entry(about_menu, QStringLiteral("AboutVostel"), QStringLiteral("About Corvak Electronics"));

    // Not added to the menu bar: shown only as the tree's pop-up.
    Medite = new QMenu(QStringLiteral("编辑(&E)"), this);
    Medite->setObjectName(QStringLiteral("Medite"));
    MAddRecord = Entry(Medite, QStringLiteral("MAddRecord"), QStringLiteral("添加目录"));
    Maddsub = Entry(Medite, QStringLiteral("Maddsub"), QStringLiteral("添加子集"));
    Minsertback = Entry(Medite, QStringLiteral("Minsertback"), QStringLiteral("插入节点"));
    Mdelect = Entry(Medite, QStringLiteral("Mdelect"), QStringLiteral("删除节点"));
    fdsfs = Separator(Medite, QStringLiteral("fdsfs"));
    Mcopydata = Entry(Medite, QStringLiteral("Mcopydata"), QStringLiteral("复制数据"));
    MPaseteData = Entry(Medite, QStringLiteral("MPaseteData"), QStringLiteral("粘贴数据"));
    MPaseteData->setEnabled(false);
    rrrrrrr = Separator(Medite, QStringLiteral("rrrrrrr"));
    MNodeCut = Entry(Medite, QStringLiteral("MNodeCut"), QStringLiteral("剪切节点"));
    MnodePast = Entry(Medite, QStringLiteral("MnodePast"), QStringLiteral("插入剪切"));
    MnodePast->setEnabled(false);
    MDeleData = Entry(Medite, QStringLiteral("MDeleData"), QStringLiteral("删除数据"), false);
}

void ViewForm::ConnectMenus()
{
    connect(EndPro, &QAction::triggered, this, [this] { EndPro_Click(); });
    connect(AboutMe, &QAction::triggered, this, [this] { AboutMe_Click(this); });
    connect(PeoHelp, &QAction::triggered, this,
            [this] { PeoHelp_Click(dialogs_, env_.programFolder); });
    connect(AboutVostel, &QAction::triggered, this, [this] { AboutVostel_Click(dialogs_); });
}

}  // namespace mainwin
