#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "main_window/main_form.h"
#include "main_window/range_chart_page.h"
#include "config/station_paths.h"
#include "journal/journal.h"
#include "station/process_signals.h"
#include "station/single_instance.h"
#include "prompts/user_prompt.h"

namespace {
// The executable's name with ".ini": beside the executable, or in the user's configuration folder
// when the executable's folder is not writable (an installed program).
QString SettingsFilePath() {
  const QFileInfo exe(QCoreApplication::applicationFilePath());
  return ThisStationPaths(exe.completeBaseName() + QStringLiteral(".ini")).settingsFile;
}

// The program's command line: --help and --version, nothing else of its own.
struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption help;
  QCommandLineOption version;
  CommandLine() : help(parser.addHelpOption()), version(parser.addVersionOption()) {
    parser.setApplicationDescription(QStringLiteral(
        "Kestrilon4: monitoring and recording station for an AD4ETH 4-20 mA converter.\n"
        "Settings: the program's name with .ini beside the program, or ~/.config/kestrilon4 when installed.\n"
        "SIGTERM or SIGHUP end it as a confirmed exit does (settings written, measuring stopped).\n\n"
        "Exit code: 0, also when another station already runs (it is told in a box)."));
  }
};

// --help and --version print and end before a display is opened, so they work over SSH and in
// scripts. Other errors wait for the window's parser (Qt's own options such as -platform are known
// only once the window's application object exists).
void AnswerWithoutDisplay(int argc, char* argv[]) {
  QCoreApplication plain(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTRILON_VERSION));
  CommandLine line;
  line.parser.parse(QCoreApplication::arguments());
  if (line.parser.isSet(line.help)) line.parser.showHelp(0);
  if (line.parser.isSet(line.version)) line.parser.showVersion();
}
}  // namespace

int main(int argc, char* argv[]) {
  AnswerWithoutDisplay(argc, argv);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(KESTRILON_VERSION));
  CommandLine line;
  line.parser.process(app);
  QtUserPrompt prompt;
  SingleInstanceGuard guard;
  if (!guard.Acquire()) {
    prompt.Message(UserPrompt::Icon::Warning, QStringLiteral(" Spouštění aplikace"),
                   QStringLiteral("Aplikace je již spuštěna!"));
    return 0;
  }
  // The station lives on in the tray when its window is hidden; only a confirmed exit ends it.
  app.setQuitOnLastWindowClosed(false);
  try {
    TMainForm mainForm(prompt, SettingsFilePath());
    TDlgNastaveni nastaveni(mainForm.station(), mainForm.Language(), prompt);
    TAboutBox about;
    TfrmDataSheet dataSheet;
    TDlgParametryMereni parametry(mainForm.Settings(), mainForm.Language(), prompt);
    nastaveni.SetHooks(
        {[&mainForm] { mainForm.RangeChart().SetArchiveConnection(); }, [&mainForm] { mainForm.ApplyChartSettings(); }});
    mainForm.AttachWindows(&nastaveni, &about, &dataSheet, &parametry);
    // exit(), not quit(): quit() would ask every window to close, and the main window asks its
    // question again.
    QObject::connect(&mainForm, &TMainForm::ExitConfirmed, &app, [] { QCoreApplication::exit(0); },
                     Qt::QueuedConnection);
    HandleProcessSignals(&app, [&mainForm](ProcessSignal) { mainForm.EndProgram(); });
    mainForm.show();  // reads the settings: the journal's folder is known from here on
    mainForm.station().RestoreAlarms();
    JournalEvent(QLatin1String(JournalKind::kProgramStarted), 0, QStringLiteral("Kestrilon4 " KESTRILON_VERSION));
    app.exec();
  } catch (const std::exception& e) {
    prompt.Message(UserPrompt::Icon::Error, QStringLiteral("Kestrilon4"), QString::fromLocal8Bit(e.what()));
  } catch (...) {
    prompt.Message(UserPrompt::Icon::Error, QStringLiteral("Kestrilon4"), QString());
  }
  guard.Release();
  return 0;
}
