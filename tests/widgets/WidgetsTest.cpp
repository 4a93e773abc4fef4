#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"
#include "widgets/DesktopOpen.h"
#include "widgets/Images.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace qv;
namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane\\Dlg\\Test";

std::string Bytes(const std::vector<std::int32_t>& numbers) {
    return std::string(reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(std::int32_t));
}

// A value's bytes as stored; REG_BINARY or nothing.
std::string Stored(const char* name, const std::string* write = nullptr) {
    RegistryKey key;
    std::string data;
    std::uint32_t type = kRegBinary;
    if (write && key.Create(kKey, RegAccess::Write) == kErrorSuccess)
        key.SetValue(name, kRegBinary, write->data(), static_cast<std::uint32_t>(write->size()));
    else if (!write && key.Open(kKey, RegAccess::Read) == kErrorSuccess)
        key.ReadValue(name, &type, data);
    return type == kRegBinary ? data : std::string();
}

// Records what the desktop was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placementKeepsItsBytes() {
        test::TempMachine machine;
        WindowPlacement placement(kKey);
        QVERIFY(!placement.ReadRect("win"));
        QCOMPARE(placement.ReadWidths("cols", {70, 60}), (QList<int>{70, 60}));
        placement.SetRect("win", QRect(10, 20, 600, 450));
        placement.SetWidths("cols", {40, 51, 62});
        placement.Set("sizes", {0, 0, 708, 300, 130, 50});
        placement.SetWidths("cols", {41, 52, 63}); // the last set stands
        QVERIFY(placement.Save());
        // Left, top, and right and bottom one past the window's last pixel, as 32-bit numbers.
        QCOMPARE(Stored("win"), Bytes({10, 20, 610, 470}));
        QCOMPARE(Stored("cols"), Bytes({41, 52, 63}));
        QCOMPARE(placement.ReadRect("win"), std::optional<QRect>(QRect(10, 20, 600, 450)));
        QCOMPARE(placement.Read("sizes", 6),
                 (std::optional<std::vector<std::int32_t>>({0, 0, 708, 300, 130, 50})));

        // A rectangle of another size than four numbers is none; widths of another count keep every
        // default, a width below 1 its own.
        for (const std::string& bytes :
             {std::string(), Bytes({1, 2}), Bytes({1, 2, 3, 4, 5}), std::string(17, 'x')}) {
            Stored("win", &bytes);
            QVERIFY2(!placement.ReadRect("win"), std::to_string(bytes.size()).c_str());
        }
        const QList<int> defaults = {70, 60, 100, 100};
        const std::pair<std::vector<std::int32_t>, QList<int>> widths[] = {
            {{0, -5, 30, 40}, {70, 60, 30, 40}}, {{10, 20, 30}, defaults}, {{10, 20, 30, 40, 50}, defaults}};
        for (const auto& [numbers, expected] : widths) {
            const std::string bytes = Bytes(numbers);
            Stored("cols", &bytes);
            QCOMPARE(placement.ReadWidths("cols", defaults), expected);
        }
    }

    void placementInAStoreThatRefusesWrites() {
        test::TempMachine machine;
        WindowPlacement placement(kKey);
        placement.SetRect("win", QRect(1, 2, 300, 400));
        QVERIFY(placement.Save());
        {
            // The store is opened read-only once this process has left it.
            test::TempMachine elsewhere;
            Stored("win");
        }
        const fs::path store = machine.Path() / "registry.db";
        fs::permissions(store, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        placement.SetRect("win", QRect(5, 6, 700, 800));
        QVERIFY(!placement.Save());
        QCOMPARE(placement.ReadRect("win"), std::optional<QRect>(QRect(1, 2, 300, 400)));
        fs::permissions(store, fs::perms::owner_write, fs::perm_options::add);
    }

    void messageBoxAnswers() {
        QApplication::setApplicationDisplayName(QStringLiteral("Quorvane Settings Manager"));
        QList<MessageBox::Request> asked;
        QVERIFY(!MessageBox::SetHook([&asked](const MessageBox::Request& request) {
            asked.append(request);
            return QMessageBox::No;
        }));
        QCOMPARE(MessageBox::AskYesNoCancel(nullptr, QStringLiteral("Save?")), QMessageBox::No);
        MessageBox::Warn(nullptr, QStringLiteral("Not saved: Shop"));
        MessageBox::SetHook({});
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].title, QStringLiteral("Quorvane Settings Manager"));
        QCOMPARE(asked[0].text, QStringLiteral("Save?"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(asked[1].icon, QMessageBox::Warning);

        // Without a hook the real box answers: Return presses the default, Escape Cancel.
        for (const auto& [key, answer] :
             {std::pair{Qt::Key_Return, QMessageBox::Yes}, {Qt::Key_Escape, QMessageBox::Cancel}}) {
            QTimer::singleShot(0, this, [key] {
                QVERIFY(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
                QTest::keyClick(QApplication::activeModalWidget(), key);
            });
            QCOMPARE(MessageBox::AskYesNoCancel(nullptr, QStringLiteral("Save?")), answer);
        }
    }

    void desktopOpensTheFileItWasGiven() {
        // A name with a space, '#', '%' and a non-ASCII letter stays one file on its way to the desktop.
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        const QString path = QStringLiteral("/opt/Helmark/Quorvane dir/Tech #2 100%20 \u00fc.htm");
        QVERIFY(DesktopOpen::File(path));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.urls.size(), 1);
        QCOMPARE(recorder.urls[0].toLocalFile(), path);
        // A test's opener stands in for the desktop.
        QStringList opened;
        DesktopOpen::SetOpener([&opened](const QString& file) { return opened.append(file), false; });
        QVERIFY(!DesktopOpen::File(path));
        DesktopOpen::SetOpener({});
        QCOMPARE(opened, QStringList{path});
    }

    void stripIsCutWithItsBackgroundClear() {
        QImage strip(35, 16, QImage::Format_RGB32);
        strip.fill(Qt::white);
        strip.setPixel(20, 8, qRgb(0, 160, 0));
        const QList<QPixmap> images = Images::CutStrip(strip, 16, Qt::white);
        QCOMPARE(images.size(), 2); // the 3 columns left over make no image
        const QImage second = images[1].toImage();
        QCOMPARE(second.size(), QSize(16, 16));
        QCOMPARE(qAlpha(second.pixel(0, 0)), 0);
        QCOMPARE(second.pixel(4, 8), qRgb(0, 160, 0));
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
