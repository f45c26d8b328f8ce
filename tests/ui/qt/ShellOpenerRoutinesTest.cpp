#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QObject>
#include <QUrl>
#include <vector>

#include "FormFixture.h"
#include "support/VCLRoutines.h"
#include "ui/qt/ShellOpenerRoutines.h"

namespace {
// Takes the desktop's place for the file and web schemes, so that the test
// sees what would be opened without starting a browser or an editor.
class TUrlReceiver : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> Urls;

public slots:
    void Open(const QUrl& Url) { Urls.push_back(Url); }
};

class ShellOpenerTest : public testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        for (const char* Scheme : {"file", "https"})
            QDesktopServices::setUrlHandler(Scheme, &Receiver, "Open");
        Replaced = SetShellOpener({});
        InstallShellOpener();
    }
    void TearDown() override
    {
        for (const char* Scheme : {"file", "https"})
            QDesktopServices::unsetUrlHandler(Scheme);
        SetShellOpener(Replaced);
    }

    TUrlReceiver Receiver;
    TShellOpener Replaced;
};
}

TEST_F(ShellOpenerTest, OpensWebAddressesAsTheyAreAndFilesAsFileUrls)
{
    ShellOpen(HomePageAddress);
    ShellOpenIn("/opt/klavora/", "Readme.txt");
    ShellOpen("Readme.txt");
    ASSERT_EQ(Receiver.Urls.size(), 3u);
    EXPECT_EQ(Receiver.Urls[0], QUrl("https://klavora.example/lite/"));
    EXPECT_EQ(Receiver.Urls[1], QUrl::fromLocalFile("/opt/klavora/Readme.txt"));
    EXPECT_EQ(Receiver.Urls[2], QUrl::fromLocalFile(QDir::current().absoluteFilePath("Readme.txt")));
}

TEST_F(ShellOpenerTest, FileNamesWithBlanksAndOtherLettersStayOneFile)
{
    ShellOpenIn("/tmp/my songs", "Übung #1.txt");
    ASSERT_EQ(Receiver.Urls.size(), 1u);
    EXPECT_TRUE(Receiver.Urls[0].isLocalFile());
    EXPECT_EQ(Receiver.Urls[0].toLocalFile(), QString::fromUtf8("/tmp/my songs/Übung #1.txt"));
}

#include "ShellOpenerRoutinesTest.moc"
