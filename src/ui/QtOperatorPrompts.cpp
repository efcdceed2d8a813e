#include "ui/QtOperatorPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
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

// "HEX" of "Intel Hex Files(*.HEX)|*.HEX": the extension a name typed
// without one gets under that filter.
QString FilterSuffix(const std::string& filter) {
  const QString entry = Q(filter);
  const qsizetype star = entry.indexOf(QStringLiteral("*."), std::max<qsizetype>(0, entry.indexOf('|')));
  if (star < 0) return {};
  const QString rest = entry.mid(star + 2);
  const qsizetype end = rest.indexOf(QRegularExpression(QStringLiteral("[;) ]")));
  const QString suffix = end < 0 ? rest : rest.left(end);
  return suffix.contains('*') ? QString() : suffix;
}

}  // namespace

std::optional<FileChoice> AskFileDialog(QWidget* parent, const FileDialogOptions& options, bool save) {
  QFileDialog dialog(parent, Q(options.Title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = Filters(options.Filters);
  if (!options.DefaultSuffix.empty()) dialog.setDefaultSuffix(Q(options.DefaultSuffix));
  if (options.SuffixFromFilter) {
    // Added before the dialog asks whether to replace an existing file, so
    // the question is about the file that will be written.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &filters, &options](const QString& chosen) {
                       const int at = filters.indexOf(chosen);
                       if (at >= 0) dialog.setDefaultSuffix(FilterSuffix(options.Filters[at]));
                     });
  }
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (options.FilterIndex >= 0 && options.FilterIndex < filters.size()) {
      dialog.selectNameFilter(filters[options.FilterIndex]);
      if (options.SuffixFromFilter)
        dialog.setDefaultSuffix(FilterSuffix(options.Filters[options.FilterIndex]));
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  // The file system's bytes, which need not be UTF-8.
  return FileChoice{ToFileName(dialog.selectedFiles().first()),
                    static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

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
  if (auto chosen = AskFileDialog(parent_, options, false)) return chosen->Name;
  return std::nullopt;
}

std::optional<std::string> QtOperatorPrompts::SaveFileName(const FileDialogOptions& options) {
  if (unattended_) return rule_.SaveFileName(options);
  if (auto chosen = AskFileDialog(parent_, options, true)) return chosen->Name;
  return std::nullopt;
}

std::optional<FileChoice> QtOperatorPrompts::SaveFileChoice(const FileDialogOptions& options) {
  if (unattended_) return rule_.SaveFileChoice(options);
  return AskFileDialog(parent_, options, true);
}

}  // namespace korvel::ui
