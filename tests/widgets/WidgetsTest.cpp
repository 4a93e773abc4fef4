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

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using namespace qv;

namespace {

constexpr const char* kKey = "SOFTWARE\\Helmark\\Quorvane\\Dlg\\Test";

std::string Bytes(const std::vector<std::int32_t>& numbers) {
    return std::string(reinterpret_cast<const char*>(numbers.data()), numbers.size() * sizeof(std::int32_t));
}

void SetRaw(const char* name, std::uint32_t type, const std::string& bytes) {
    RegistryKey key;
    QCOMPARE(key.Create(kKey, RegAccess::Write), kErrorSuccess);
    QCOMPARE(key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())), kErrorSuccess);
}

std::string GetRaw(const char* name, std::uint32_t* type) {
    RegistryKey key;
    std::string data;
    if (key.Open(kKey, RegAccess::Read) == kErrorSuccess)
        key.ReadValue(name, type, data);
    return data;
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
        // Left, top, right and bottom one past the window's last pixel; 32-bit numbers, REG_BINARY.
        std::uint32_t type = 0;
        QCOMPARE(GetRaw("win", &type), Bytes({10, 20, 610, 470}));
        QCOMPARE(type, std::uint32_t{kRegBinary});
        QCOMPARE(GetRaw("cols", &type), Bytes({41, 52, 63}));
        QCOMPARE(GetRaw("sizes", &type).size(), std::size_t{24});
        const WindowPlacement again(kKey);
        QCOMPARE(again.ReadRect("win"), std::optional<QRect>(QRect(10, 20, 600, 450)));
        QCOMPARE(again.ReadWidths("cols", {1, 1, 1}), (QList<int>{41, 52, 63}));
        QCOMPARE(again.Read("sizes", 6),
                 (std::optional<std::vector<std::int32_t>>({0, 0, 708, 300, 130, 50})));
    }

    void badStoredValuesGiveTheDefaults() {
        test::TempMachine machine;
        const WindowPlacement placement(kKey);
        // A rectangle of another size than four numbers is no rectangle.
        for (const std::string& bytes :
             {std::string(), Bytes({1, 2}), Bytes({1, 2, 3, 4, 5}), std::string(17, 'x')}) {
            SetRaw("win", kRegBinary, bytes);
            QVERIFY2(!placement.ReadRect("win"), std::to_string(bytes.size()).c_str());
        }
        // Widths: a value of another count keeps every default, a width below 1 its own.
        const QList<int> defaults = {70, 60, 100, 100};
        SetRaw("cols", kRegBinary, Bytes({0, -5, 30, 40}));
        QCOMPARE(placement.ReadWidths("cols", defaults), (QList<int>{70, 60, 30, 40}));
        SetRaw("cols", kRegBinary, Bytes({10, 20, 30}));
        QCOMPARE(placement.ReadWidths("cols", defaults), defaults);
        SetRaw("cols", kRegBinary, Bytes({10, 20, 30, 40, 50}));
        QCOMPARE(placement.ReadWidths("cols", defaults), defaults);
    }

    void placementInAStoreThatRefusesWrites() {
        test::TempMachine machine;
        WindowPlacement placement(kKey);
        placement.SetRect("win", QRect(1, 2, 300, 400));
        QVERIFY(placement.Save());
        {
            // The store is reopened read-only once this process has left it.
            test::TempMachine elsewhere;
            RegistryKey key;
            key.Open("SOFTWARE", RegAccess::Read);
        }
        const std::filesystem::path store = machine.Path() / "registry.db";
        std::filesystem::permissions(store, std::filesystem::perms::owner_read |
                                                std::filesystem::perms::group_read |
                                                std::filesystem::perms::others_read);
        placement.SetRect("win", QRect(5, 6, 700, 800));
        QVERIFY(!placement.Save());
        QCOMPARE(placement.ReadRect("win"), std::optional<QRect>(QRect(1, 2, 300, 400)));
        std::filesystem::permissions(store, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }

    void messageBoxHookAnswers() {
        QApplication::setApplicationDisplayName(QStringLiteral("Quorvane Settings Manager"));
        QList<MessageBox::Request> asked;
        const MessageBox::Hook before = MessageBox::SetHook([&asked](const MessageBox::Request& request) {
            asked.append(request);
            return QMessageBox::No;
        });
        QCOMPARE(MessageBox::AskYesNoCancel(nullptr, QStringLiteral("Save?")), QMessageBox::No);
        MessageBox::Warn(nullptr, QStringLiteral("Not saved: Shop"));
        QVERIFY(!before);
        MessageBox::SetHook({});
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].title, QStringLiteral("Quorvane Settings Manager"));
        QCOMPARE(asked[0].text, QStringLiteral("Save?"));
        QCOMPARE(asked[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(asked[0].defaultButton, QMessageBox::Yes);
        QCOMPARE(asked[1].icon, QMessageBox::Warning);
        QCOMPARE(asked[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void realMessageBoxKeys() {
        // Without a hook the real box answers the keys: Return presses the default, Escape the way out.
        const struct {
            QMessageBox::StandardButtons buttons;
            QMessageBox::StandardButton defaultButton;
            Qt::Key key;
            QMessageBox::StandardButton answer;
        } cases[] = {
            {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, Qt::Key_Return,
             QMessageBox::Yes},
            {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, Qt::Key_Escape,
             QMessageBox::Cancel},
            {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Qt::Key_Escape, QMessageBox::No},
            {QMessageBox::Ok, QMessageBox::NoButton, Qt::Key_Escape, QMessageBox::Ok},
        };
        for (const auto& item : cases) {
            QTimer::singleShot(0, this, [&item] {
                QVERIFY(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
                QTest::keyClick(QApplication::activeModalWidget(), item.key);
            });
            QCOMPARE(MessageBox::Show(nullptr, QMessageBox::Question, QStringLiteral("?"), item.buttons,
                                      item.defaultButton),
                     item.answer);
        }
    }

    void desktopOpensTheFileItWasGiven() {
        // The desktop's opener: a name with a space, '#', '%' and a non-ASCII letter stays one file.
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        const QString path = QStringLiteral("/opt/Helmark/Quorvane dir/Tech #2 100%20 \u00fc.htm");
        QVERIFY(DesktopOpen::File(path));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.urls.size(), 1);
        QCOMPARE(recorder.urls[0].toLocalFile(), path);

        // A test's opener takes the place of the desktop, and its answer is the result.
        QStringList opened;
        DesktopOpen::SetOpener([&opened](const QString& file) {
            opened.append(file);
            return false;
        });
        QVERIFY(!DesktopOpen::File(path));
        QVERIFY(DesktopOpen::SetOpener({}));
        QCOMPARE(opened, QStringList{path});
        QCOMPARE(recorder.urls.size(), 1);
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
        QCOMPARE(qAlpha(images[0].toImage().pixel(15, 15)), 0);
    }
};

QTEST_MAIN(WidgetsTest)
#include "WidgetsTest.moc"
