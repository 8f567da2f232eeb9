#include "ui/qt/QtFileOpenDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace qm {

QString QtFileOpenDialog::QtFilter(std::string_view filter) {
  const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                                .split(QLatin1Char('|'));
  QStringList types;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    // Qt reads the patterns from the last parentheses, which the description
    // usually holds already, as in "Diff File (*.diff)".
    const QString named = QLatin1Char('(') + patterns + QLatin1Char(')');
    types << (description.endsWith(named) ? description : description + QLatin1Char(' ') + named);
  }
  return types.join(QStringLiteral(";;"));
}

namespace {

QString TitleOf(const OpenRequest& request) {
  return QString::fromUtf8(request.DialogTitle.data(), static_cast<qsizetype>(request.DialogTitle.size()));
}

}  // namespace

FileChoice QtFileOpenDialog::ChoiceOf(const QString& path) {
  return FileChoice{QFileInfo(path).fileName().toStdString(), QDir::toNativeSeparators(path).toStdString()};
}

std::optional<FileChoice> QtFileOpenDialog::Open(const OpenRequest& request) {
  const QString path = QFileDialog::getOpenFileName(parent_, TitleOf(request), QString(), QtFilter(request.Filter));
  if (path.isEmpty()) return std::nullopt;
  return ChoiceOf(path);
}

std::vector<FileChoice> QtFileOpenDialog::OpenMany(const OpenRequest& request) {
  std::vector<FileChoice> chosen;
  for (const QString& path :
       QFileDialog::getOpenFileNames(parent_, TitleOf(request), QString(), QtFilter(request.Filter)))
    chosen.push_back(ChoiceOf(path));
  return chosen;
}

}  // namespace qm
