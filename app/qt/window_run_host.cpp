// The window's run host: the pass's view of the log, the progress bar, the busy
// cursor and the Start/Stop buttons.
#include "app/qt/window_run_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>

#include "app/folder_box_rule.h"
#include "app/qt/folder_path.h"
#include "common/codepage.h"

namespace ranta2kv {

WindowRunHost::WindowRunHost(const WindowControls& controls, char decimalSeparator)
    : CapturedFolderHost(decimalSeparator), controls_(controls) {}

WindowRunHost::~WindowRunHost() { SetBusyIndication(false); }

void WindowRunHost::AppendLog(const std::string& line1251) {
  controls_.log->appendPlainText(QString::fromStdString(Cp1251ToUtf8(line1251)));
}

void WindowRunHost::ClearLog() { controls_.log->clear(); }

// The bar keeps at least one step of range: a range of 0 to 0 would turn it
// into a busy indicator instead of an empty bar.
void WindowRunHost::SetProgressMax(int maximum) {
  controls_.progress->setRange(0, std::max(maximum, 1));
}

void WindowRunHost::SetProgressPosition(int position) {
  QProgressBar& bar = *controls_.progress;
  bar.setValue(std::clamp(position, bar.minimum(), bar.maximum()));
}

void WindowRunHost::StepProgress() { SetProgressPosition(controls_.progress->value() + 1); }

void WindowRunHost::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void WindowRunHost::SetBusyIndication(bool busy) {
  if (busy == busy_shown_) return;
  if (busy)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
  busy_shown_ = busy;
}

// Start also needs an existing folder, so that the end of a run during which the
// folder box was edited leaves the window as the box's text says.
void WindowRunHost::ApplyButtonRule() {
  controls_.start->setEnabled(
      StartEnabled(Running(), ToFilesystemPath(controls_.folderBox->text())));
  controls_.stop->setEnabled(Running());
}

}  // namespace ranta2kv
