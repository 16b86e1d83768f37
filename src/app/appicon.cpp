#include "app/appicon.h"

namespace tp {

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {48, 128, 256})
    icon.addFile(QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(ApplicationId)), QSize(size, size));
  return QIcon::fromTheme(QLatin1String(ApplicationId), icon);
}

}  // namespace tp
