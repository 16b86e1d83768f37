#include "dialogs/filterlist.h"

namespace tp {

QList<FileTypeFilter> ParseFilterList(const QString& filter) {
  QList<FileTypeFilter> filters;
  if (filter.isEmpty()) return filters;
  const QStringList fields = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i < fields.size(); i += 2) {
    FileTypeFilter entry;
    entry.text = fields[i];
    if (i + 1 < fields.size()) {
      for (const QString& pattern : fields[i + 1].split(QLatin1Char(';'))) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty()) entry.patterns << trimmed;
      }
    }
    if (entry.patterns.isEmpty()) entry.patterns << QStringLiteral("*");
    filters << entry;
  }
  return filters;
}

QStringList QtNameFilters(const QList<FileTypeFilter>& filters) {
  QStringList names;
  for (const FileTypeFilter& entry : filters)
    names << entry.text + QStringLiteral(" (") + entry.patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  return names;
}

int FilterIndexOf(const QList<FileTypeFilter>& filters, const QString& reported) {
  const QStringList names = QtNameFilters(filters);
  for (qsizetype i = 0; i < filters.size(); ++i)
    if (reported == filters[i].text || reported == names[i]) return int(i) + 1;
  return 0;
}

}  // namespace tp
