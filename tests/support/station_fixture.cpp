#include "main_window/range_chart_page.h"
#include "support/station_fixture.h"

#include "dialogs/about_box.h"
#include "dialogs/data_sheet.h"
#include "dialogs/dlg_nastaveni.h"
#include "dialogs/dlg_parametry_mereni.h"
#include "main_window/main_form.h"
#include "support/scripted_prompt.h"

StationWindows::StationWindows(const QByteArray& iniText)
    : dir(std::make_unique<QTemporaryDir>()), prompt(std::make_unique<ScriptedPrompt>()) {
  if (!iniText.isNull()) WriteFileBytes(IniPath(), iniText);
  main = std::make_unique<TMainForm>(*prompt, IniPath());
  nastaveni = std::make_unique<TDlgNastaveni>(main->station(), main->Language(), *prompt);
  about = std::make_unique<TAboutBox>();
  dataSheet = std::make_unique<TfrmDataSheet>();
  parametry = std::make_unique<TDlgParametryMereni>(main->Settings(), main->Language(), *prompt);
  TMainForm* form = main.get();
  nastaveni->SetHooks({[form] { form->RangeChart().SetArchiveConnection(); }, [form] { form->ApplyChartSettings(); }});
  main->AttachWindows(nastaveni.get(), about.get(), dataSheet.get(), parametry.get());
}

StationWindows::~StationWindows() {
  main->station().StopMeasuring();
  main->AttachWindows(nullptr, nullptr, nullptr, nullptr);
}

QString StationWindows::Path(const QString& name) const {
  return dir->filePath(name);
}

QByteArray StationWindows::IniBytes() const {
  return ReadFileBytes(IniPath());
}
