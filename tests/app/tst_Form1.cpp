#include "app/AppTitle.h"
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/OutputFolderBox.h"
#include "app/PushCheckBox.h"
#include "sourcelist/CommonDialog.h"
#include "sourcelist/SourceListView.h"
#include "util/FolderPicker.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QScopeGuard>
#include <QSettings>
#include <QStyle>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>

namespace {
QString Sep()
{
    return QString(QDir::separator());
}

// Contrast ratio of two colours as WCAG defines it, from 1 to 21.
double Contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        const auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The background of an area is its commonest colour; its text is the pixel
// that stands out most from it.
struct AreaColours {
    QRgb background = 0;
    double contrast = 1;
};
AreaColours Measure(const QImage& image, const QRect& area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    AreaColours colours;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            colours.background = it.key();
        }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        colours.contrast = qMax(colours.contrast, Contrast(it.key(), colours.background));
    return colours;
}

QPalette DarkPalette()
{
    QPalette dark;
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(45, 45, 48)},
                                {QPalette::WindowText, QColor(230, 230, 230)},
                                {QPalette::Base, QColor(30, 30, 32)},
                                {QPalette::AlternateBase, QColor(50, 50, 55)},
                                {QPalette::Text, QColor(230, 230, 230)},
                                {QPalette::Button, QColor(60, 60, 64)},
                                {QPalette::ButtonText, QColor(235, 235, 235)},
                                {QPalette::Light, QColor(80, 80, 85)},
                                {QPalette::Midlight, QColor(70, 70, 75)},
                                {QPalette::Mid, QColor(40, 40, 42)},
                                {QPalette::Dark, QColor(25, 25, 27)},
                                {QPalette::Shadow, QColor(0, 0, 0)}})
        dark.setColor(role, colour);
    return dark;
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

    QTemporaryDir m_app;
    QStringList m_messages;
    int m_endings = 0;
    QStringList m_opened;
    std::unique_ptr<Form1> m_form;

    Form1Options Options(double draw = 0.5, const QString& homePage = QString())
    {
        Form1Options options;
        options.applicationFolder = m_app.path();
        options.draw = [draw] { return draw; };
        options.homePage = homePage.isNull() ? QStringLiteral("") : homePage;
        options.openHomePage = [this](const QString& address) { m_opened.append(address); };
        options.endProcess = [this] { ++m_endings; };
        return options;
    }

    void MoveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

private Q_SLOTS:
    void initTestCase()
    {
        MessageBox::SetRecorderForTests([this](const QString& text) { m_messages.append(text); });
        QVERIFY(QFile::copy(QStringLiteral(ORVALIN_RESOURCES "/HAND-M.CUR"), m_app.filePath(QStringLiteral("HAND-M.CUR"))));
        QVERIFY(QFile::copy(QStringLiteral(ORVALIN_RESOURCES "/drag.ico"), m_app.filePath(QStringLiteral("drag.ico"))));
    }

    void init()
    {
        m_messages.clear();
        m_opened.clear();
        m_endings = 0;
        m_form = std::make_unique<Form1>(Options());
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
        QVERIFY2(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
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
            {"ListView1", m_form->ListView1}, {"Check1", m_form->Check1}, {"Check2", m_form->Check2},
            {"Check3", m_form->Check3},       {"Check4", m_form->Check4}, {"Check5", m_form->Check5},
            {"Text1", m_form->Text1},         {"Label1", m_form->Label1}, {"Command1", m_form->Command1},
            {"ProgressBar1", m_form->ProgressBar1}};
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
        QString home = QDir::toNativeSeparators(QDir::homePath());
        if (!home.endsWith(QDir::separator()))
            home += QDir::separator();
        QCOMPARE(m_form->Text1->text(), home);
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
        const QList<std::pair<const char*, QPalette>> palettes{{"light", QApplication::style()->standardPalette()},
                                                               {"dark", DarkPalette()}};
        for (const auto& [name, desktop] : palettes)
            for (const auto& [control, white] : {std::pair{"Check1", true}, {"Check4", true}, {"Check2", true},
                                                 {"Check3", true}, {"Check5", true}, {"Label1", true},
                                                 {"header", true}, {"rows", false}, {"Text1", false}})
                QTest::addRow("%s %s", name, control) << desktop << QString::fromLatin1(control) << white;
    }
    void readableUnderAnyPalette()
    {
        QFETCH(QPalette, desktop);
        QFETCH(QString, control);
        QFETCH(bool, white);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(desktop);
        const auto restore = qScopeGuard([&before] { QApplication::setPalette(before); });
        Form1 form(Options());
        form.ListView1->AppendRow(QStringLiteral("/a/folder/with a name.pdf"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QWidget* widget = nullptr;
        QRect area;
        if (control == QLatin1String("header")) {
            widget = form.ListView1->header();
            area = QRect(2, 2, form.ListView1->header()->sectionSize(0) - 4, widget->height() - 4);
        } else if (control == QLatin1String("rows")) {
            widget = form.ListView1->viewport();
            area = form.ListView1->visualItemRect(form.ListView1->topLevelItem(0)).adjusted(1, 0, -1, 0);
        } else {
            widget = form.findChild<QWidget*>(control);
            QVERIFY(widget);
            area = widget->rect().adjusted(4, 4, -4, -4);
            // Below the picture: the caption alone.
            if (auto* box = qobject_cast<PushCheckBox*>(widget); box && !box->Picture().isNull())
                area.setTop(4 + 32 + 2);
        }
        const QImage image = widget->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const AreaColours colours = Measure(image, QRect(area.topLeft() * ratio, area.size() * ratio));
        QVERIFY2(colours.contrast >= 4.5, qPrintable(QString::number(colours.contrast)));
        // Near enough: the style shades buttons and tints the current row a little.
        const QColor expected = white ? QColor(Qt::white) : desktop.color(QPalette::Active, QPalette::Base);
        QVERIFY2(Contrast(colours.background, expected.rgb()) < 1.25, qPrintable(QColor(colours.background).name()));
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
            if (node->object() && node->object()->objectName() == control)
                found = node;
            for (int i = 0; i < node->childCount() && !found; ++i)
                walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(m_form.get()));
        QVERIFY(found);
        QCOMPARE(int(found->role()), role);
        QCOMPARE(found->text(QAccessible::Name), name);
        QVERIFY(!found->text(QAccessible::Description).isEmpty());
        if (role == QAccessible::Button && control != QLatin1String("Command1")) {
            QVERIFY(found->actionInterface());
            QVERIFY(found->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        }
        if (control == QLatin1String("Text1")) {
            const auto labels = found->relations(QAccessible::Label);
            QVERIFY(!labels.isEmpty());
            QCOMPARE(labels.constFirst().first->object(), m_form->Label1);
        }
    }

    // Pressed through assistive technology as with the mouse: the action runs
    // once and the button comes up again.
    void helpPressedThroughAssistiveTechnology()
    {
        QAccessibleInterface* help = QAccessible::queryAccessibleInterface(m_form->Check3);
        help->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_messages, QStringList{Form1::HelpText()});
        QCOMPARE(m_form->Check3->Value(), 0);
    }

    void tabOrder()
    {
        QApplication::setActiveWindow(m_form.get());
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        m_form->ListView1->setFocus();
        const QList<QWidget*> expected{m_form->Check1, m_form->Check4, m_form->Check2, m_form->Text1,
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
        QCOMPARE(m_messages, QStringList{Form1::HelpText()});
        QCOMPARE(m_form->Check3->Value(), 0);
        // The Space key presses it as a click does.
        m_form->Check3->setFocus();
        QTest::keyClick(m_form->Check3, Qt::Key_Space);
        QCOMPARE(m_messages.size(), 2);
        // Enter and Esc press nothing.
        QTest::keyClick(m_form->Check3, Qt::Key_Return);
        QTest::keyClick(m_form->Check3, Qt::Key_Escape);
        QCOMPARE(m_messages.size(), 2);
        // Values set from code run nothing.
        m_form->Check3->SetValue(0);
        QCOMPARE(m_messages.size(), 2);
        // "Extract!" with an empty list: one message per press.
        QTest::mouseClick(m_form->Check2, Qt::LeftButton);
        QCOMPARE(m_messages.constLast(), QStringLiteral("No files added."));
        QCOMPARE(m_messages.size(), 3);
        QCOMPARE(m_form->Check2->Value(), 0);
        QCOMPARE(m_form->MousePointer(), 0);
    }

    void helpText()
    {
        const QString text = Form1::HelpText();
        QVERIFY(text.startsWith(QStringLiteral("Images will be extracted as they were put together by the author")));
        QVERIFY(text.contains(QStringLiteral("as individual files.\r\rAlso, if PDF has password protection")));
        QVERIFY(text.endsWith(QStringLiteral("it will not be possible to extract images.")));
        QCOMPARE(text.count(QLatin1Char('\r')), 2);
    }

    void pointerRules()
    {
        QVERIFY(m_form->HasMouseIcon());
        for (PushCheckBox* box : {m_form->Check1, m_form->Check2, m_form->Check3, m_form->Check4}) {
            MoveOver(box);
            QCOMPARE(m_form->MousePointer(), 99);
            QCOMPARE(m_form->cursor().shape(), Qt::BitmapCursor);
            MoveOver(m_form.get());
            QCOMPARE(m_form->MousePointer(), 0);
        }
        MoveOver(m_form->Check1);
        MoveOver(m_form->ListView1->viewport());
        QCOMPARE(m_form->MousePointer(), 0);
        // "..." has no hover rule of its own.
        MoveOver(m_form->Check1);
        MoveOver(m_form->Check5);
        QCOMPARE(m_form->MousePointer(), 99);

        // The hourglass survives every hover.
        m_form->SetMousePointer(11);
        for (QWidget* w : {static_cast<QWidget*>(m_form->Check1), static_cast<QWidget*>(m_form->Check4),
                           static_cast<QWidget*>(m_form.get()), m_form->ListView1->viewport()}) {
            MoveOver(w);
            QCOMPARE(m_form->MousePointer(), 11);
            QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
        }
    }

    // Run once more at QT_SCALE_FACTOR=2 by its own CTest entry: the pictures
    // and pointers come drawn for the screen's density, not enlarged.
    void picturesFitTheScale()
    {
        const qreal ratio = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0;
        QCOMPARE(m_form->devicePixelRatioF(), ratio);
        m_form->ListView1->AppendRow(QStringLiteral("/a.pdf"));
        m_form->ListView1->setCurrentItem(m_form->ListView1->topLevelItem(0));
        m_form->ListView1->ListView1_ItemClick();
        MoveOver(m_form->Check1);
        const QList<std::pair<QString, QPixmap>> pictures{
            {"Check1", m_form->Check1->Picture()},
            {"Check4", m_form->Check4->Picture()},
            {"Check2", m_form->Check2->Picture()},
            {"hand", m_form->cursor().pixmap()},
            {"drag", m_form->ListView1->viewport()->cursor().pixmap()}};
        for (const auto& [name, picture] : pictures) {
            QVERIFY2(!picture.isNull(), qPrintable(name));
            QCOMPARE(picture.devicePixelRatio(), ratio);
            QCOMPARE(picture.deviceIndependentSize(), QSizeF(32, 32));
            if (ratio < 2)
                continue;
            // An enlargement repeats every pixel in 2 by 2 blocks; a drawing
            // made for the size does not.
            const QImage image = picture.toImage();
            bool drawn = false;
            for (int y = 0; y + 1 < image.height() && !drawn; y += 2)
                for (int x = 0; x + 1 < image.width() && !drawn; x += 2)
                    drawn = image.pixel(x, y) != image.pixel(x + 1, y) || image.pixel(x, y) != image.pixel(x, y + 1)
                            || image.pixel(x, y) != image.pixel(x + 1, y + 1);
            QVERIFY2(drawn, qPrintable(name));
        }
        QCOMPARE(m_form->cursor().hotSpot(), QPoint(12, 2)); // the finger's tip
    }

    void withoutHandPicture()
    {
        QTemporaryDir bare;
        Form1Options options = Options();
        options.applicationFolder = bare.path();
        Form1 form(options);
        QVERIFY(!form.HasMouseIcon());
        MoveOver(form.Check1);
        QCOMPARE(form.MousePointer(), 99);
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
        Form1 form(Options(draw, address));
        QCOMPARE(m_opened.size(), opened);
        if (opened)
            QCOMPARE(m_opened.constFirst(), address);
    }

    void desktopEntryNamesTheWindow()
    {
        NameApplication();
        const QSettings entry(QStringLiteral(ORVALIN_RESOURCES "/linux/") + QGuiApplication::desktopFileName()
                                  + QStringLiteral(".desktop"),
                              QSettings::IniFormat);
        QCOMPARE(entry.status(), QSettings::NoError);
        QCOMPARE(entry.value(QStringLiteral("Desktop Entry/StartupWMClass")).toString(), QGuiApplication::applicationName());
    }

    void closingEndsTheProcess()
    {
        m_form->close();
        QCOMPARE(m_endings, 1);
    }

    void outputFolderPicker_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("box");
        const QString s = Sep();
        QTest::newRow("a folder") << s + "home" + s + "photos" << s + "home" + s + "photos" + s;
        QTest::newRow("a root") << s << s + s;
        QTest::newRow("a network path") << s + s + "server" + s + "share" + s + "out"
                                        << s + "server" + s + "share" + s + "out" + s;
        QTest::newRow("cancel keeps what was typed") << "" << "typed by hand";
    }
    void outputFolderPicker()
    {
        QFETCH(QString, picked);
        QFETCH(QString, box);
        m_form->Text1->setText(QStringLiteral("typed by hand"));
        FolderPicker::SetNextAnswerForTests(picked);
        QTest::mouseClick(m_form->Check5, Qt::LeftButton);
        QCOMPARE(FolderPicker::LastPromptForTests(), QStringLiteral("Please select folder:"));
        QCOMPARE(m_form->Text1->text(), box);
        QCOMPARE(m_form->MousePointer(), 0);
    }

    void addFilesThroughTheOpenDialog()
    {
        QTemporaryDir dir;
        const QString a = QDir::toNativeSeparators(dir.filePath(QStringLiteral("c.pdf")));
        const QString b = QDir::toNativeSeparators(dir.filePath(QStringLiteral("a b.pdf")));
        CommonDialog::SetNextSelectionForTests({a});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        const CommonDialog& shown = CommonDialog::LastShownForTests();
        QCOMPARE(shown.Flags, 0x280201u);
        QCOMPARE(shown.DialogTitle, QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"));
        QCOMPARE(shown.Filter, QStringLiteral("PDF Files (*.pdf)|*.pdf|"));
        QCOMPARE(shown.MaxFileSize, 30000);
        CommonDialog::SetNextSelectionForTests({a, b, a});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        CommonDialog::SetNextSelectionForTests({});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        CommonDialog::SetNextSelectionForTests({Sep() + "x.pdf", Sep() + "y.pdf"});
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->Rows(), (QStringList{a, a, b, a, Sep() + "x.pdf", Sep() + "y.pdf"}));
        QVERIFY(m_messages.isEmpty());
    }

    // The open dialog starts where files were last picked since the start,
    // else at home, never in the application folder.
    void openDialogStartsWhereFilesWereLastPicked()
    {
        QTemporaryDir dir;
        const auto start = [this] {
            QTest::mouseClick(m_form->Check1, Qt::LeftButton);
            return QFileInfo(CommonDialog::LastShownForTests().InitDir).canonicalFilePath();
        };
        const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
        const QString picked = QFileInfo(dir.path()).canonicalFilePath();
        CommonDialog::SetNextSelectionForTests({QDir::toNativeSeparators(dir.filePath(QStringLiteral("a.pdf")))});
        QCOMPARE(start(), home);
        CommonDialog::SetNextSelectionForTests({}); // cancelled
        QCOMPARE(start(), picked);
        CommonDialog::SetNextSelectionForTests({QDir::toNativeSeparators(m_app.filePath(QStringLiteral("current.pdf")))});
        QCOMPARE(start(), picked);
        CommonDialog::SetNextSelectionForTests({});
        QCOMPARE(start(), home);
    }

    void folderPickerStartsAtTheOutputFolder_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("startsThere"); // false: at home
        const QString temp = QDir::toNativeSeparators(QDir::tempPath());
        QTest::newRow("an existing folder") << temp << true;
        QTest::newRow("with a final separator") << temp + Sep() << true;
        QTest::newRow("a missing folder") << temp + Sep() + "no such folder" << false;
        QTest::newRow("empty") << "" << false;
    }
    void folderPickerStartsAtTheOutputFolder()
    {
        QFETCH(QString, box);
        QFETCH(bool, startsThere);
        m_form->Text1->setText(box);
        FolderPicker::SetNextAnswerForTests(QString());
        QTest::mouseClick(m_form->Check5, Qt::LeftButton);
        QCOMPARE(QFileInfo(FolderPicker::LastStartForTests()).canonicalFilePath(),
                 QFileInfo(startsThere ? box : QDir::homePath()).canonicalFilePath());
    }

    void tooLongASelectionIsRefusedAloud()
    {
        QStringList many;
        for (int i = 0; i < 1000; ++i)
            many.append(QDir::toNativeSeparators(QDir::tempPath() + QStringLiteral("/a-rather-long-file-name-for-the-buffer-%1.pdf").arg(i)));
        CommonDialog::SetNextSelectionForTests(many);
        QTest::mouseClick(m_form->Check1, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->RowCount(), 0);
        QCOMPARE(m_messages.size(), 1);
    }

    void aSecondScanDuringAScanDoesNothing()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 400; ++i) {
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("f%1/g").arg(i))));
            QFile file(dir.filePath(QStringLiteral("f%1/g/x.pdf").arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString root = QDir::toNativeSeparators(dir.path());
        FolderPicker::SetNextAnswerForTests(root);
        FolderPicker::SetNextAnswerForTests(root);
        // Pressed again as soon as the scan lets the window handle events.
        int pointerDuringScan = -1;
        QTimer::singleShot(0, m_form.get(), [this, &pointerDuringScan] {
            pointerDuringScan = m_form->MousePointer();
            QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        });
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(pointerDuringScan, 11);
        QCOMPARE(m_form->ListView1->RowCount(), 400);
        // The second answer was never asked for.
        QCOMPARE(FolderPicker::BrowseForFolder(nullptr, QStringLiteral("drain")), root);
    }

    void addAllFilesOfAFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("sub"))));
        for (const char* name : {"b.pdf", "a.pdf", "sub/c.pdf"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString root = QDir::toNativeSeparators(dir.path());
        // Cancel: nothing happens, the pointer never turns busy.
        FolderPicker::SetNextAnswerForTests(QString());
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(m_form->ListView1->RowCount(), 0);
        FolderPicker::SetNextAnswerForTests(root);
        QTest::mouseClick(m_form->Check4, Qt::LeftButton);
        QCOMPARE(FolderPicker::LastPromptForTests(), QStringLiteral("Please select folder to add:"));
        QCOMPARE(m_form->ListView1->Rows(), (QStringList{root + Sep() + "a.pdf", root + Sep() + "b.pdf",
                                                         root + Sep() + "sub" + Sep() + "c.pdf"}));
        QCOMPARE(m_form->MousePointer(), 0);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_Form1.moc"
