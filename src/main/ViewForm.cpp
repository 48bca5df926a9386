#include "main/ViewForm.h"

#include "image/ImageFileCommands.h"
#include "link/ChipProgrammer.h"
#include "link/LinkEngine.h"
#include "link/LinkExchange.h"
#include "link/ProgramCommands.h"
#include "main/DisabledTipFilter.h"
#include "main/HintFilter.h"
#include "params/GridEditor.h"
#include "project/NodePanel.h"
#include "project/TreeCommands.h"

#include <QCoreApplication>
#include <QTimer>

namespace mainwin {

ViewForm::ViewForm(common::AppEnvironment& env, common::Dialogs& dialogs, AppState& state,
                   devlink::SerialPort& port, QWidget* parent)
    : QMainWindow(parent), env_(env), dialogs_(dialogs), state_(state), MBMC_(port)
{
    endProgram = [] { QCoreApplication::exit(0); };
    frameMargins = [this] { return WindowFrame(); };
    BuildLayout();
    BuildMenus();
    ConnectMenus();
    ConnectPortHandlers();
    ConnectPictureMenu();
    WireSubsystems();
}

ViewForm::~ViewForm()
{
    MBTim->stop();
    MBMC_.OnComm = nullptr;
    // The controls' event filters are taken off before the controls go, so that no filter
    // sees a control that is half destroyed.
    const QList<QObject*> filters{static_cast<QObject*>(treeCommands_), nodePanel_, gridEditor_,
                                  pictureMouse_, hints_, disabledTips_};
    for (QObject* filter : filters) {
        removeEventFilter(filter);
        for (QWidget* control : findChildren<QWidget*>()) control->removeEventFilter(filter);
    }
    qDeleteAll(filters);
}

}  // namespace mainwin
