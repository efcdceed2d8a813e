#include "ui/QtOperatorPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>
#include <cstdio>

#include "ui/ControlBinder.h"

namespace korvel::ui {

namespace {

QMessageBox::StandardButton ToQt(PromptButton b) {
  switch (b) {
    case PromptButton::Ok: return QMessageBox::Ok;
    case PromptButton::Cancel: return QMessageBox::Cancel;
    case PromptButton::Yes: return QMessageBox::Yes;
    case PromptButton::No: return QMessageBox::No;
    case PromptButton::Abort: return QMessageBox::Abort;
    case PromptButton::Ignore: return QMessageBox::Ignore;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(PromptKind k) {
  switch (k) {
    case PromptKind::Information: return QMessageBox::Information;
    case PromptKind::Warning: return QMessageBox::Warning;
    case PromptKind::Error: return QMessageBox::Critical;
    case PromptKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::Information;
}

QStringList Filters(const std::vector<std::string>& filters) {
  QStringList out;
  for (const auto& f : filters) {
    const QString entry = Q(f);
    const int bar = entry.indexOf('|');
    if (bar < 0) {
      out << entry;
      continue;
    }
    QString patterns = entry.mid(bar + 1);
    patterns.replace(';', ' ');
    out << QStringLiteral("%1 (%2)").arg(entry.left(bar), patterns);
  }
  return out;
}

std::optional<std::string> AskFile(QWidget* parent, const FileDialogOptions& options, bool save) {
  QFileDialog dialog(parent, Q(options.Title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = Filters(options.Filters);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (options.FilterIndex >= 0 && options.FilterIndex < filters.size())
      dialog.selectNameFilter(filters[options.FilterIndex]);
  }
  if (!options.DefaultSuffix.empty()) dialog.setDefaultSuffix(Q(options.DefaultSuffix));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return S(dialog.selectedFiles().first());
}

}  // namespace

QtOperatorPrompts::QtOperatorPrompts(QWidget* parent)
    : parent_(parent),
      unattended_(QGuiApplication::platformName() == QLatin1String("offscreen") ||
                  QGuiApplication::platformName() == QLatin1String("minimal")) {}

PromptButton QtOperatorPrompts::Message(PromptKind kind, const std::string& text,
                                        const std::vector<PromptButton>& buttons) {
  if (unattended_) {
    PromptButton answer = rule_.Message(kind, text, buttons);
    std::fprintf(stderr, "[message] %s\n", text.c_str());
    std::fflush(stderr);
    return answer;
  }
  QMessageBox box(IconOf(kind), QCoreApplication::applicationName(), Q(text),
                  QMessageBox::NoButton, parent_);
  const std::vector<PromptButton> offered = buttons.empty() ? std::vector{PromptButton::Ok} : buttons;
  for (PromptButton b : offered) box.addButton(ToQt(b));
  box.exec();
  const auto pressed = box.standardButton(box.clickedButton());
  for (PromptButton b : offered)
    if (ToQt(b) == pressed) return b;
  // Closed with Escape or the title bar: the box's escape button, else the last.
  for (PromptButton b : {PromptButton::Cancel, PromptButton::No, PromptButton::Abort})
    if (std::find(offered.begin(), offered.end(), b) != offered.end()) return b;
  return offered.back();
}

void QtOperatorPrompts::Beep() { QApplication::beep(); }

std::optional<std::string> QtOperatorPrompts::OpenFileName(const FileDialogOptions& options) {
  if (unattended_) return rule_.OpenFileName(options);
  return AskFile(parent_, options, false);
}

std::optional<std::string> QtOperatorPrompts::SaveFileName(const FileDialogOptions& options) {
  if (unattended_) return rule_.SaveFileName(options);
  return AskFile(parent_, options, true);
}

}  // namespace korvel::ui
