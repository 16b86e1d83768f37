// TVersion: the five texts of an executable's version information (by
// default the program's own file, whose information is compiled in; see
// project/programversion.h), each shown in a label, if one is linked. The
// main window builds its caption from the description and the file version.
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

namespace tp {

class TVersion : public QObject {
  Q_OBJECT

 public:
  explicit TVersion(QObject* parent = nullptr);

  // An empty name means the program's own executable. Reads at once.
  QString ExeFile() const { return exeFile_; }
  void SetExeFile(const QString& name);
  // What the window does once it is set up: read the program's own file.
  void Loaded();
  // Sets the five texts again for ExeFile. A file without version
  // information (any file but the program's own) leaves them empty.
  void NewVersion();

  QString ProductName() const { return productName_; }
  QString ProductVersion() const { return version_; }  // the "FileVersion" entry
  QString Copyright() const { return copyright_; }
  QString Company() const { return company_; }
  QString Description() const { return description_; }

  // A newly linked label shows the text already read at once.
  QLabel* ProductNameLabel() const { return productNameLabel_; }
  QLabel* ProductVersionLabel() const { return productVersionLabel_; }
  QLabel* CopyrightLabel() const { return copyrightLabel_; }
  QLabel* CompanyLabel() const { return companyLabel_; }
  QLabel* DescriptionLabel() const { return descriptionLabel_; }
  void SetProductNameLabel(QLabel* label) { Link(productNameLabel_, label, productName_); }
  void SetProductVersionLabel(QLabel* label) { Link(productVersionLabel_, label, version_); }
  void SetCopyrightLabel(QLabel* label) { Link(copyrightLabel_, label, copyright_); }
  void SetCompanyLabel(QLabel* label) { Link(companyLabel_, label, company_); }
  void SetDescriptionLabel(QLabel* label) { Link(descriptionLabel_, label, description_); }

 private:
  static void Link(QPointer<QLabel>& linked, QLabel* label, const QString& text);

  QString exeFile_;
  QPointer<QLabel> productNameLabel_, productVersionLabel_, copyrightLabel_, companyLabel_, descriptionLabel_;
  // Placeholders until the first NewVersion.
  QString productName_ = QStringLiteral("(ProductName)");
  QString version_ = QStringLiteral("(Version)");
  QString copyright_ = QStringLiteral("(Copyright)");
  QString company_ = QStringLiteral("(Company)");
  QString description_ = QStringLiteral("(Description)");
};

}  // namespace tp
