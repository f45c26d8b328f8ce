#include "ui/qt/ShellOpenerRoutines.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>

#include "support/VCLRoutines.h"

QUrl UrlOfShellTarget(const std::string& Target)
{
    const QString Text = QString::fromUtf8(Target);
    if (IsWebAddress(Target))
        return QUrl(Text);
    return QUrl::fromLocalFile(QFileInfo(Text).absoluteFilePath());
}

void InstallShellOpener()
{
    TShellOpener Opener = SystemShellOpener();
    if (!Opener)
        Opener = [](const std::string& Target) { QDesktopServices::openUrl(UrlOfShellTarget(Target)); };
    SetShellOpener(std::move(Opener));
}
