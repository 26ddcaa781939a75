// Start-up of the program: the interpreter units initialise first, in the
// order their state depends on each other; then the settings load, the main
// frame opens and after it the console. The command line is acted on once,
// when the event loop starts.
#include "devices/OVControlFrame.h"
#include "devices/OVFontNames.h"
#include "devices/OVGraphCanvas.h"
#include "devices/OVGraphForm.h"
#include "devices/OVGraphSurface.h"
#include "devices/OVKeySetting.h"
#include "devices/OVMPlayerForm.h"
#include "environment/OVFrame.h"
#include "environment/OVLoadWait.h"
#include "environment/OVOption.h"
#include "environment/OVQtHost.h"
#include "environment/OVRunFrame.h"
#include "environment/OVRunWindows.h"
#include "environment/OVStartup.h"
#include "executor/OVControlScreen.h"
#include "executor/OVEventRun.h"
#include "executor/OVInterpreter.h"
#include "executor/OVMThread.h"
#include "language/OVHeader.h"
#include "platform/OVPipeSignal.h"

#include <QApplication>
#include <QDir>
#include <QTimer>


int main(int argc, char *argv[])
{
    ov::IgnoreBrokenPipes();
    // Qt's other media backend here writes to standard output and fails
    // without a sound device; GStreamer plays even without a sound server.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QApplication app(argc, argv);
    const QString startFolder = QDir::currentPath();  // command-line file names are relative to it
    ov::SetUpApplication();
    ov::SubstituteFonts();

    ov::InitializeInterpreterUnits();
    ov::SetGraphSurface(&ov::GraphSurfaceObject());
    ov::ExeDir = QCoreApplication::applicationDirPath();
    QString settingsError;
    const bool settingsRead = ov::LoadSettings(&settingsError);
    ov::KeepPlacementsOnScreens();
    ov::EnterWorkingFolder();
    ov::InitInterpreter();

    ov::RunController runs;
    ov::TOvFrameForm frame(runs);
    ov::TRunForm console(runs);
    frame.SetRunForm(&console);
    ov::TOVLoadWaitForm loadWait;  // made after the console; shown by long editor work
    ov::TOVRunWindows windows(console, &frame);
    ov::TMPlayerForm player;  // not shown by the statements
    windows.SetMediaPlayer(&player);
    QObject::connect(&player, &ov::TMPlayerForm::Notified, &player,
                     [&runs] { ov::StartEventRun(runs, QStringLiteral("MediaPlayer_OnNotify")); });
    ov::TOVControlForm controlForm;  // hidden until CSCREEN
    windows.SetControlForm(&controlForm);
    QObject::connect(&controlForm, &ov::TOVControlForm::ButtonClicked, &controlForm,
                     [&runs](int n) { ov::ClickControlButton(runs, n); });
    ov::TOVQtHost host(windows);
    ov::SetRunHost(&host);
    QObject::connect(&frame, &ov::TOvFrameForm::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(&console, &ov::TRunForm::EditRequested, &frame, [&frame] {
        if (frame.isMinimized())
            frame.showNormal();
        frame.raise();
        frame.activateWindow();
    });
    frame.show();
    console.show();
    console.WriteBanner();

    if (!settingsRead)
        QTimer::singleShot(0, &frame, [&frame, settingsError] {
            ov::ShowMessageBox(&frame, QMessageBox::Warning, QStringLiteral("Orvane"),
                               QStringLiteral(u"環境設定を読み込めません。既定の設定を使います。\r\n") + settingsError);
        });
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QTimer::singleShot(0, &frame,
                       [&frame, arguments, startFolder] { frame.ActOnCommandLine(arguments, startFolder); });

    const int status = app.exec();
    ov::EndRuns(runs);
    ov::SetRunHost(nullptr);
    ov::DestroyGraphForms();
    return status;
}
