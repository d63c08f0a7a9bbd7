// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "app/AppTitle.h"
#include "app/ChoicesMenu.h"
#include "app/Form1.h"
#include "app/OutputFolderBox.h"
#include "app/PushCheckBox.h"
#include "app/SystemDialogs.h"
#include "sourcelist/widgets/SourceListView.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

using TestPaths::fullPath;
using TestPaths::nativePath;
using TestPaths::sep;
// Contrast ratio of two colours as WCAG defines it, from 1 to 21.
double contrastOf(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto linear = [](int v) { return v <= 10 ? v / 3294.6 : std::pow((v / 255.0 + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c)) + 0.05;
    };
    return qMax(luminance(a), luminance(b)) / qMin(luminance(a), luminance(b));
}

// An area's background is its commonest colour; its text is what stands out
// most from that: returns both, and their contrast.
std::pair<QRgb, double> backgroundAndContrast(const QImage& image, const QRect& area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    const QRgb background = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
                                return a.second < b.second;
                            })->first;
    double contrast = 1;
    for (QRgb colour : counts.keys())
        contrast = qMax(contrast, contrastOf(colour, background));
    return {background, contrast};
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_app;
    ScriptedDialogs m_dialogs;
    int m_endings = 0;
    QStringList m_opened;
    std::unique_ptr<Form1> m_form;

    Form1Options formOptions(double draw = 0.5, const QString& homePage = QString())
    {
        Form1Options options;
        options.applicationFolder = m_app.path();
        options.draw = [draw] { return draw; };
        options.homePage = homePage.isNull() ? QStringLiteral("") : homePage;
        options.openHomePage = [this](const QString& address) { m_opened.append(address); };
        options.endProcess = [this] { ++m_endings; };
        options.dialogs = &m_dialogs;
        options.settingsFile = m_app.filePath(QStringLiteral("settings.ini"));
        return options;
    }

    void moveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(
            QFile::copy(QStringLiteral(ORVALIN_RESOURCES "/HAND-M.CUR"), m_app.filePath(QStringLiteral("HAND-M.CUR"))));
        QVERIFY(QFile::copy(QStringLiteral(ORVALIN_RESOURCES "/drag.ico"), m_app.filePath(QStringLiteral("drag.ico"))));
    }

    void init()
    {
        m_dialogs = ScriptedDialogs();
        m_opened.clear();
        m_endings = 0;
        QFile::remove(m_app.filePath(QStringLiteral("settings.ini")));
        m_form = std::make_unique<Form1>(formOptions());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void window()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Orvalin"));
        QCOMPARE(m_form->size(), QSize(465, 257));
        QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
        const Qt::WindowFlags flags = m_form->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(m_form->palette().color(QPalette::Window), QColor(Qt::white));
        // The window icon shows nothing.
        const QImage icon = m_form->windowIcon().pixmap(32, 32).toImage();
        QVERIFY(!icon.isNull());
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
        // Centred on the primary screen.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect frame = m_form->frameGeometry();
        const QPoint offCentre = frame.center() - screen.center();
        QVERIFY2(
            qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
            qPrintable(
                QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<double>("points"); // 0: the system's own font
        QTest::newRow("ListView1") << "ListView1" << QRect(8, 8, 449, 105) << 9.0;
        QTest::newRow("Check1") << "Check1" << QRect(8, 120, 145, 73) << 11.25;
        QTest::newRow("Check4") << "Check4" << QRect(160, 120, 145, 73) << 11.25;
        QTest::newRow("Check2") << "Check2" << QRect(312, 120, 145, 73) << 11.25;
        QTest::newRow("Text1") << "Text1" << QRect(192, 200, 233, 19) << 9.0;
        QTest::newRow("Check5") << "Check5" << QRect(432, 200, 22, 19) << 9.0;
        QTest::newRow("Check3") << "Check3" << QRect(400, 224, 57, 25) << 11.25;
        QTest::newRow("Command1") << "Command1" << QRect(-48, 176, 41, 33) << 0.0;
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(8, 224, 385, 25) << 0.0;
        QTest::newRow("Label1") << "Label1" << QRect(16, 202, 169, 17) << 9.0;
    }
    void layout()
    {
        QFETCH(QString, control);
        QFETCH(QRect, pixels);
        QFETCH(double, points);
        const QHash<QString, QWidget*> controls{
            {"ListView1", m_form->ListView1}, {"Check1", m_form->Check1},
            {"Check2", m_form->Check2},       {"Check3", m_form->Check3},
            {"Check4", m_form->Check4},       {"Check5", m_form->Check5},
            {"Text1", m_form->Text1},         {"Label1", m_form->Label1},
            {"Command1", m_form->Command1},   {"ProgressBar1", m_form->ProgressBar1}};
        QWidget* widget = controls.value(control);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), pixels);
        if (points > 0) {
            QCOMPARE(widget->font().pointSizeF(), points);
            QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
            QVERIFY(widget->font().bold());
            QVERIFY(!widget->font().italic() && !widget->font().underline() && !widget->font().strikeOut());
        }
        // Every visible control keeps a margin of 8 pixels inside the window.
        if (control != QLatin1String("Command1"))
            QVERIFY(m_form->rect().adjusted(8, 8, -8, -8).contains(widget->geometry()));
    }

    void captionsPicturesAndDefaults()
    {
        QCOMPARE(m_form->Check1->text(), QStringLiteral("Add PDF File(s)"));
        QCOMPARE(m_form->Check4->text(), QStringLiteral("Add All PDF File(s) In Folder"));
        QCOMPARE(m_form->Check2->text(), QStringLiteral("Extract!"));
        QCOMPARE(m_form->Check3->text(), QStringLiteral("Help"));
        QCOMPARE(m_form->Check5->text(), QStringLiteral("..."));
        QCOMPARE(m_form->Label1->text(), QStringLiteral("Extract images to this folder:"));
        for (PushCheckBox* box : {m_form->Check1, m_form->Check2, m_form->Check4})
            QCOMPARE(box->Picture().size(), QSize(32, 32));
        QVERIFY(m_form->Check3->Picture().isNull());
        QCOMPARE(m_form->ProgressBar1->minimum(), 0);
        QCOMPARE(m_form->ProgressBar1->maximum(), 100);
        QCOMPARE(m_form->ProgressBar1->value(), 0);
        QCOMPARE(m_form->ProgressBar1->palette().color(QPalette::Base), QColor(Qt::white));
#ifdef Q_OS_WIN
        QCOMPARE(m_form->Text1->text(), QStringLiteral("C:\\"));
#else
        QString home = TestPaths::native(QDir::homePath());
        if (!home.endsWith(Platform::separator()))
            home += Platform::separator();
        QCOMPARE(m_form->Text1->text(), home);
#endif
        QVERIFY(m_form->ListView1->toolTip().startsWith(QStringLiteral("Drag and drop files here.")));
        for (QWidget* other : m_form->findChildren<QWidget*>())
            if (other != m_form->ListView1 && other->parentWidget() == m_form.get())
                QVERIFY2(other->toolTip().isEmpty(), qPrintable(other->objectName()));
        QVERIFY(!m_form->Command1->isDefault() && !m_form->Command1->autoDefault());
    }

    // Whatever colours the desktop uses, every text keeps a contrast of 4.5:1
    // against its background; the white of the layout stays white, and the
    // list and the box take the desktop's own background.
    void readableUnderAnyPalette_data()
    {
        QTest::addColumn<QPalette>("desktop");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("white"); // false: the desktop's base colour
        // Light text on dark grey: window text, button, light, dark, mid, text, bright text, base, window.
        const QPalette dark(Qt::white, QColor(60, 60, 64), QColor(90, 90, 95), QColor(20, 20, 22), QColor(40, 40, 44),
                            Qt::white, Qt::white, QColor(30, 30, 32), QColor(45, 45, 48));
        for (const auto& [name, desktop] :
             {std::pair{"light", QApplication::style()->standardPalette()}, {"dark", dark}})
            for (const char* control :
                 {"Check1", "Check4", "Check2", "Check3", "Check5", "Label1", "header", "rows", "Text1"})
                QTest::addRow("%s %s", name, control)
                    << desktop << control << (qstrcmp(control, "rows") && qstrcmp(control, "Text1"));
    }
    void readableUnderAnyPalette()
    {
        QFETCH(QPalette, desktop);
        QFETCH(QString, control);
        QFETCH(bool, white);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(desktop);
        const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
        Form1 form(formOptions());
        form.ListView1->appendRow(QStringLiteral("/a/folder/with a name.pdf"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QWidget* widget = form.findChild<QWidget*>(control);
        QRect area = widget ? widget->rect().adjusted(4, 4, -4, -4) : QRect();
        if (control == QLatin1String("header")) {
            widget = form.ListView1->header();
            area = QRect(2, 2, form.ListView1->header()->sectionSize(0) - 4, widget->height() - 4);
        } else if (control == QLatin1String("rows")) {
            widget = form.ListView1->viewport();
            area = form.ListView1->visualItemRect(form.ListView1->topLevelItem(0)).adjusted(1, 0, -1, 0);
        } else if (auto* box = qobject_cast<PushCheckBox*>(widget); box && !box->Picture().isNull()) {
            area.setTop(4 + 32 + 2); // below the picture: the caption alone
        }
        const auto [background, contrast] = backgroundAndContrast(widget->grab().toImage(), area);
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
        // Near enough: the style shades buttons and tints the current row a little.
        const QColor expected = white ? QColor(Qt::white) : desktop.color(QPalette::Base);
        QVERIFY2(contrastOf(background, expected.rgb()) < 1.25, qPrintable(QColor(background).name()));
    }

    // Assistive technology finds every control in the window's tree, with a
    // name, a description and the role of what it looks like.
    void accessibility_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        const QString label = QStringLiteral("Extract images to this folder:");
        QTest::newRow("ListView1") << "ListView1" << int(QAccessible::Tree) << "PDF File(s)";
        QTest::newRow("Check1") << "Check1" << int(QAccessible::Button) << "Add PDF File(s)";
        QTest::newRow("Check4") << "Check4" << int(QAccessible::Button) << "Add All PDF File(s) In Folder";
        QTest::newRow("Check2") << "Check2" << int(QAccessible::Button) << "Extract!";
        QTest::newRow("Text1") << "Text1" << int(QAccessible::EditableText) << label;
        QTest::newRow("Check5") << "Check5" << int(QAccessible::Button) << "Choose output folder";
        QTest::newRow("Check3") << "Check3" << int(QAccessible::Button) << "Help";
        QTest::newRow("Command1") << "Command1" << int(QAccessible::Button) << "Command1";
        QTest::newRow("ProgressBar1") << "ProgressBar1" << int(QAccessible::ProgressBar) << "Progress";
        QTest::newRow("Label1") << "Label1" << int(QAccessible::StaticText) << label;
    }
    void accessibility()
    {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QAccessibleInterface* found = nullptr;
        const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            found = node->object() && node->object()->objectName() == control ? node : found;
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(m_form.get()));
        QVERIFY(found);
        QCOMPARE(int(found->role()), role);
        QCOMPARE(found->text(QAccessible::Name), name);
        QVERIFY(!found->text(QAccessible::Description).isEmpty());
    }

    // Pressed through assistive technology as with the mouse: the action runs
    // once and the button comes up again.
    void helpPressedThroughAssistiveTechnology()
    {
        QAccessible::queryAccessibleInterface(m_form->Check3)
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_dialogs.messages, QStringList{Form1::helpText()});
        QCOMPARE(m_form->Check3->Value(), 0);
    }

    void tabOrder()
    {
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        m_form->ListView1->setFocus();
        const QList<QWidget*> expected{m_form->Check1, m_form->Check4, m_form->Check2,   m_form->Text1,
                                       m_form->Check5, m_form->Check3, m_form->Command1, m_form->ListView1};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void textBoxSelectsAllOnFocus()
    {
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        m_form->Text1->setText(QStringLiteral("/some/folder/"));
        m_form->Check2->setFocus();
        QTest::keyClick(m_form->Check2, Qt::Key_Tab);
        QCOMPARE(m_form->Text1->selectedText(), QStringLiteral("/some/folder/"));
        // With a click too.
        m_form->Check5->setFocus();
        QTest::mouseClick(m_form->Text1, Qt::LeftButton, {}, QPoint(20, 8));
        QCOMPARE(m_form->Text1->selectedText(), QStringLiteral("/some/folder/"));
    }

    void everyPressRunsItsActionOnce()
    {
        // Help is the action that can be counted through its message.
        QTest::mouseClick(m_form->Check3, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages, QStringList{Form1::helpText()});
        QCOMPARE(m_form->Check3->Value(), 0);
        // The Space key presses it as a click does.
        m_form->Check3->setFocus();
        QTest::keyClick(m_form->Check3, Qt::Key_Space);
        QCOMPARE(m_dialogs.messages.size(), 2);
        // Enter and Esc press nothing.
        QTest::keyClick(m_form->Check3, Qt::Key_Return);
        QTest::keyClick(m_form->Check3, Qt::Key_Escape);
        QCOMPARE(m_dialogs.messages.size(), 2);
        // Values set from code run nothing.
        m_form->Check3->setValue(0);
        QCOMPARE(m_dialogs.messages.size(), 2);
        // "Extract!" with an empty list: one message per press.
        QTest::mouseClick(m_form->Check2, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages.constLast(), QStringLiteral("No files added."));
        QCOMPARE(m_dialogs.messages.size(), 3);
        QCOMPARE(m_form->Check2->Value(), 0);
        QCOMPARE(m_form->MousePointer(), Pointer::Default);
    }

    void helpText()
    {
        const QString text = Form1::helpText();
        QVERIFY(text.startsWith(QStringLiteral("Images will be extracted as they were put together by the author")));
        QVERIFY(text.contains(QStringLiteral("as individual files.\r\rAlso, if PDF has password protection")));
        QVERIFY(text.endsWith(QStringLiteral("it will not be possible to extract images.")));
        QCOMPARE(text.count(QLatin1Char('\r')), 2);
    }

    void pointerRules()
    {
        QVERIFY(m_form->hasMouseIcon());
        for (PushCheckBox* box : {m_form->Check1, m_form->Check2, m_form->Check3, m_form->Check4}) {
            moveOver(box);
            QCOMPARE(m_form->MousePointer(), Pointer::Custom);
            QCOMPARE(m_form->cursor().shape(), Qt::BitmapCursor);
            moveOver(m_form.get());
            QCOMPARE(m_form->MousePointer(), Pointer::Default);
        }
        moveOver(m_form->Check1);
        moveOver(m_form->ListView1->viewport());
        QCOMPARE(m_form->MousePointer(), Pointer::Default);
        // "..." has no hover rule of its own.
        moveOver(m_form->Check1);
        moveOver(m_form->Check5);
        QCOMPARE(m_form->MousePointer(), Pointer::Custom);

        // The hourglass survives every hover.
        m_form->setMousePointer(Pointer::Hourglass);
        for (QWidget* w : {static_cast<QWidget*>(m_form->Check1), static_cast<QWidget*>(m_form->Check4),
                           static_cast<QWidget*>(m_form.get()), m_form->ListView1->viewport()}) {
            moveOver(w);
            QCOMPARE(m_form->MousePointer(), Pointer::Hourglass);
            QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
        }
    }

    // Run once more at QT_SCALE_FACTOR=2 by its own CTest entry: the pictures
    // and pointers come drawn for the screen's density, not enlarged.
    void picturesFitTheScale()
    {
        const qreal ratio = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
        QCOMPARE(m_form->devicePixelRatioF(), ratio);
        m_form->ListView1->ListView1_ItemClick(); // the drag pointer
        moveOver(m_form->Check1);                 // the hand
        for (const QPixmap& picture : {m_form->Check1->Picture(), m_form->Check4->Picture(), m_form->Check2->Picture(),
                                       m_form->cursor().pixmap(), m_form->ListView1->viewport()->cursor().pixmap()}) {
            QCOMPARE(picture.devicePixelRatio(), ratio);
            QCOMPARE(picture.deviceIndependentSize(), QSizeF(32, 32));
            // An enlargement repeats each pixel in 2 by 2 blocks; a drawing does not.
            const QImage image = picture.toImage();
            bool enlarged = ratio >= 2;
            for (int y = 0; y + 1 < image.height() && enlarged; y += 2)
                for (int x = 0; x + 1 < image.width() && enlarged; x += 2) {
                    const QRgb p = image.pixel(x, y);
                    enlarged =
                        p == image.pixel(x + 1, y) && p == image.pixel(x, y + 1) && p == image.pixel(x + 1, y + 1);
                }
            QVERIFY(!enlarged);
        }
        QCOMPARE(m_form->cursor().hotSpot(), QPoint(12, 2)); // the finger's tip
    }

    void withoutHandPicture()
    {
        QTemporaryDir bare;
        Form1Options options = formOptions();
        options.applicationFolder = bare.path();
        Form1 form(options);
        QVERIFY(!form.hasMouseIcon());
        moveOver(form.Check1);
        QCOMPARE(form.MousePointer(), Pointer::Custom);
        QCOMPARE(form.cursor().shape(), Qt::PointingHandCursor);
    }

    void homePageChance_data()
    {
        QTest::addColumn<double>("draw");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("opened");
        QTest::newRow("7 with an address") << 0.065 << "https://orvalin.example" << 1;
        QTest::newRow("other draws") << 0.5 << "https://orvalin.example" << 0;
        QTest::newRow("7 without an address") << 0.065 << "" << 0;
    }
    void homePageChance()
    {
        QFETCH(double, draw);
        QFETCH(QString, address);
        QFETCH(int, opened);
        m_opened.clear();
        Form1 form(formOptions(draw, address));
        QCOMPARE(m_opened.size(), opened);
        if (opened)
            QCOMPARE(m_opened.constFirst(), address);
    }

    void desktopEntryNamesTheWindow()
    {
        nameApplication();
        const QSettings entry(QStringLiteral(ORVALIN_RESOURCES "/linux/") + QGuiApplication::desktopFileName()
                                  + QStringLiteral(".desktop"),
                              QSettings::IniFormat);
        QCOMPARE(entry.status(), QSettings::NoError);
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/StartupWMClass")).toString(),
                 QGuiApplication::applicationName());
    }

    void closingEndsTheProcess()
    {
        m_form->close();
        QCOMPARE(m_endings, 1);
    }

    void aMessageNeverKeepsTheWindowFromClosing()
    {
        // Closing the window while a message is up ends the process at once;
        // everything else the window is told waits for the box.
        SystemDialogs system;
        m_dialogs.showMessagesWith = &system;
        QWidget* modal = m_form.get();
        QString details;
        int pointer = -1;
        QTimer::singleShot(0, this, [&] {
            modal = QApplication::activeModalWidget();
            QMessageBox* box = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* shown = qobject_cast<QMessageBox*>(widget); shown && shown->isVisible())
                    box = shown;
            moveOver(m_form->Check1);
            pointer = int(m_form->MousePointer());
            m_form->close();
            if (box) {
                details = box->detailedText();
                box->accept();
            }
        });
        m_form->showMessage(QStringLiteral("Done.\n\na.pdf: shortened"), QStringLiteral("a.pdf: the whole line"));
        m_dialogs.showMessagesWith = nullptr;
        QCOMPARE(modal, nullptr);
        QCOMPARE(pointer, int(Pointer::Default));
        QCOMPARE(m_endings, 1);
        QCOMPARE(details, QStringLiteral("a.pdf: the whole line"));
    }

    void outputFolderPicker_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("box");
        QTest::newRow("a folder") << fullPath("\\home\\photos") << fullPath("\\home\\photos\\");
        // The separator the root ends with is doubled; the run reads it as one.
        QTest::newRow("a root") << fullPath("\\") << fullPath("\\\\");
#ifdef Q_OS_WIN
        QTest::newRow("a network path") << nativePath("\\\\server\\share\\out")
                                        << nativePath("\\\\server\\share\\out\\");
#else
        const QString s = sep();
        QTest::newRow("a network path") << s + s + "server" + s + "share" + s + "out"
                                        << s + "server" + s + "share" + s + "out" + s;
#endif
        QTest::newRow("cancel keeps what was typed") << ""
                                                     << "typed by hand";
    }
    void outputFolderPicker()
    {
        QFETCH(QString, picked);
        QFETCH(QString, box);
        m_form->Text1->setText(QStringLiteral("typed by hand"));
        m_dialogs.folderAnswers = {picked};
        QTest::mouseClick(m_form->Check5, Qt::LeftButton);
        QCOMPARE(m_dialogs.lastPrompt, QStringLiteral("Please select folder:"));
        QCOMPARE(m_form->Text1->text(), box);
        QCOMPARE(m_form->MousePointer(), Pointer::Default);
    }

    void addFilesThroughTheOpenDialog()
    {
        QTemporaryDir dir;
        const QString a = QDir::toNativeSeparators(dir.filePath(QStringLiteral("c.pdf")));
        const QString b = QDir::toNativeSeparators(dir.filePath(QStringLiteral("a b.pdf")));
        m_dialogs.openAnswers.append(QStringList{a});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        const OpenDialogSettings& shown = m_dialogs.lastOpen;
        QCOMPARE(shown.Flags, 0x280201u);
        QCOMPARE(shown.DialogTitle, QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"));
        QCOMPARE(shown.Filter, QStringLiteral("PDF Files (*.pdf)|*.pdf|"));
        QCOMPARE(shown.MaxFileSize, 30000);
        m_dialogs.openAnswers.append(QStringList{a, b, a});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        m_dialogs.openAnswers.append(QStringList{});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        const QString x = fullPath("\\x.pdf");
        const QString y = fullPath("\\y.pdf");
        m_dialogs.openAnswers.append(QStringList{x, y});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->rows(), (QStringList{a, a, b, a, x, y}));
        QVERIFY(m_dialogs.messages.isEmpty());
    }

    // The open dialog starts where files were last picked since the start,
    // else at home, never in the application folder; the folder picker at the
    // output box's folder when there is one, else at home.
    void dialogsStartWhereExpected()
    {
        QTemporaryDir dir;
        const auto canonical = [](const QString& path) { return QFileInfo(path).canonicalFilePath(); };
        const QString home = canonical(QDir::homePath());
        const QList<std::pair<QString, QString>> picks{// picked, where the dialog started
                                                       {dir.filePath("a.pdf"), home},
                                                       {"", canonical(dir.path())},
                                                       {m_app.filePath("current.pdf"), canonical(dir.path())},
                                                       {"", home}};
        for (const auto& [picked, started] : picks) {
            m_dialogs.openAnswers.append(picked.isEmpty() ? QStringList() : QStringList{picked});
            QTest::mouseClick(m_form->Check1, Qt::LeftButton);
            QCOMPARE(canonical(m_dialogs.lastOpen.InitDir), started);
        }
        const QString temp = QDir::toNativeSeparators(QDir::tempPath());
        for (const auto& [box, started] :
             {std::pair{temp, temp}, {temp + sep(), temp}, {temp + sep() + "missing", home}, {"", home}}) {
            m_form->Text1->setText(box);
            m_dialogs.folderAnswers = {QString()};
            QTest::mouseClick(m_form->Check5, Qt::LeftButton);
            QCOMPARE(canonical(m_dialogs.lastStart), canonical(started));
        }
    }

    void tooLongASelectionIsRefusedAloud()
    {
        QStringList many;
        for (int i = 0; i < 1000; ++i)
            many.append(QDir::toNativeSeparators(
                QDir::tempPath() + QStringLiteral("/a-rather-long-file-name-for-the-buffer-%1.pdf").arg(i)));
        m_dialogs.openAnswers.append(many);
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->rowCount(), 0);
        QCOMPARE(m_dialogs.messages.size(), 1);
    }

    void aSecondScanDuringAScanDoesNothing()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 400; ++i) {
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("f%1/g").arg(i))));
            QVERIFY(TestPaths::touch(dir.filePath(QStringLiteral("f%1/g/x.pdf").arg(i))));
        }
        const QString root = QDir::toNativeSeparators(dir.path());
        m_dialogs.folderAnswers = {root, root};
        // Pressed again as soon as the scan lets the window handle events.
        int pointerDuringScan = -1;
        QTimer::singleShot(0, m_form.get(), [this, &pointerDuringScan] {
            pointerDuringScan = int(m_form->MousePointer());
            QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        });
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(pointerDuringScan, int(Pointer::Hourglass));
        QCOMPARE(m_form->ListView1->rowCount(), 400);
        // The second answer was never asked for.
        QCOMPARE(m_dialogs.folderAnswers, QStringList{root});
    }

    // Extract!'s menu: what is kept and left out, remembered from one start to
    // the next, named on the button and followed by the run.
    void extractChoices()
    {
        QVERIFY(m_form->Check2->toolTip().isEmpty());
        ChoicesMenu* menu = m_form->choicesMenu;
        for (const QContextMenuEvent::Reason reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            QContextMenuEvent ask(reason, QPoint(5, 5), m_form->Check2->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(m_form->Check2, &ask);
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
        }
        QStringList names;
        for (const QAction* action : menu->actions())
            if (action->isCheckable() && !action->isChecked())
                names.append(action->text());
        QCOMPARE(names, (QStringList{"Keep JPEG images as they are", "Leave out masks", "Apply masks to their images",
                                     "Leave out tiny images", "Leave out repeats"}));
        QVERIFY(menu->saveMasks->isChecked());
        menu->noMasks->trigger();
        menu->noTiny->trigger();
        QCOMPARE(m_form->Check2->toolTip(), QStringLiteral("Leave out masks\nLeave out tiny images"));
        QCOMPARE(Form1(formOptions()).choicesMenu->choices(), (ExtractChoices{false, true, true, false}));

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("two.pdf"));
        QVERIFY(TestPdf::write(pdf, {{TestPdf::Kind::Rgb, 4, 30, 1}, {TestPdf::Kind::Rgb, 20, 30, 2}}));
        m_form->ListView1->appendRow(QDir::toNativeSeparators(pdf));
        m_form->Text1->setText(TestPaths::withSeparator(dir.path()));
        QTest::mouseClick(m_form->Check2, Qt::LeftButton);
        QCOMPARE(m_dialogs.messages, QStringList{QStringLiteral("Done.\n1 image left out (tiny images)")});
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.jpg")}), QStringList{QStringLiteral("1.jpg")});
        // The mask items are one choice of three: another takes the place.
        menu->applyMasks->trigger();
        QCOMPARE(m_form->Check2->toolTip(), QStringLiteral("Apply masks to their images\nLeave out tiny images"));
        QCOMPARE(Form1(formOptions()).choicesMenu->choices().masks(), ExtractChoices::Masks::Apply);
        for (QAction* action : {menu->saveMasks, menu->noTiny})
            action->trigger();
        QVERIFY(m_form->Check2->toolTip().isEmpty());
    }

    // The one mask choice of earlier versions, on, is read as leaving masks out.
    void earlierMaskChoice()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("settings.ini"));
        QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("Extract/noMasks"), true);
        ChoicesMenu menu(file);
        QVERIFY(menu.noMasks->isChecked());
        menu.applyMasks->trigger();
        QCOMPARE(ChoicesMenu(file).choices().masks(), ExtractChoices::Masks::Apply);
    }

    void addAllFilesOfAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("sub"))));
        for (const char* name : {"b.pdf", "a.pdf", "sub/c.pdf"})
            QVERIFY(TestPaths::touch(dir.filePath(QString::fromLatin1(name))));
        const QString root = QDir::toNativeSeparators(dir.path());
#ifdef Q_OS_UNIX
        // A name that is no text is named, never listed as another path.
        const QByteArray noText = QFile::encodeName(dir.filePath(QStringLiteral("sub/d"))) + "\xff.pdf";
        QVERIFY(TestPaths::touchBytes(noText));
        const auto removeNoText = qScopeGuard([&noText] { TestPaths::removeBytes(noText); });
#endif
        // Cancel: nothing happens, the pointer never turns busy.
        m_dialogs.folderAnswers = {QString()};
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->rowCount(), 0);
        m_dialogs.folderAnswers = {root};
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(m_dialogs.lastPrompt, QStringLiteral("Please select folder to add:"));
        QCOMPARE(m_form->ListView1->rows(),
                 (QStringList{root + sep() + "a.pdf", root + sep() + "b.pdf", root + sep() + "sub" + sep() + "c.pdf"}));
        QCOMPARE(m_form->MousePointer(), Pointer::Default);
#ifdef Q_OS_UNIX
        QCOMPARE(m_dialogs.messages,
                 QStringList{root + "/sub/d\\xff.pdf: the path is not valid UTF-8, so it was passed over."});
#endif
        // A dropped one is named the same way, once the drop is over.
        m_dialogs.messages.clear();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromEncoded("file:///in/e%FF.pdf"), QUrl::fromLocalFile(dir.filePath("a.pdf"))});
        m_form->ListView1->ListView1_OLEDragDrop(&dropped);
        QCOMPARE(m_form->ListView1->rows().constLast(), root + sep() + "a.pdf");
        QTRY_COMPARE(m_dialogs.messages, QStringList{QStringLiteral(
                                             "/in/e\\xff.pdf: the path is not valid UTF-8, so it was passed over.")});
    }
};

QTEST_MAIN(TestForm1)
#include "tst_Form1.moc"
