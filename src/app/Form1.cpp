// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Form1.h"

#include "AppTitle.h"
#include "ChoicesMenu.h"
#include "Form1Layout.h"
#include "OutputFolderBox.h"
#include "PushCheckBox.h"
#include "SystemDialogs.h"
#include "extract/ExtractRun.h"
#include "sourcelist/widgets/AddFilesFlow.h"
#include "sourcelist/widgets/FolderScanFlow.h"
#include "sourcelist/widgets/SourceListView.h"
#include "util/Main.h"
#include "util/Platform.h"
#include "util/Trim1.h"
#include "util/Twips.h"
#include "util/widgets/CursorFile.h"
#include "util/widgets/FolderPicker.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

template <typename Control> Control* named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The layout paints some controls white, whatever colours the desktop uses;
// the text on them is then dark whatever the desktop uses too, or a dark
// colour scheme puts white text on white.
void darkOnWhite(QPalette& palette, QPalette::ColorRole background, QPalette::ColorRole text)
{
    palette.setColor(background, Qt::white);
    palette.setColor(text, Qt::black);
}

// A button picture, for screens at 1x and at 2x.
QIcon buttonPicture(const QString& name)
{
    QIcon picture;
    picture.addFile(QStringLiteral(":/pictures/%1.png").arg(name));
    picture.addFile(QStringLiteral(":/pictures/%1@2x.png").arg(name));
    return picture;
}

QPixmap transparentPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    return picture;
}

// The address the build was given for the start-up chance.
QString builtInHomePage()
{
    return QStringLiteral(ORVALIN_HOME_PAGE);
}

} // namespace

Form1::Form1(Form1Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_options(std::move(options))
{
    m_applicationFolder =
        m_options.applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_options.applicationFolder;
    if (!m_options.draw)
        m_options.draw = &Main::drawFromTimer;
    if (m_options.homePage.isNull())
        m_options.homePage = builtInHomePage();
    if (!m_options.openHomePage)
        m_options.openHomePage = [](const QString& address) {
            QDesktopServices::openUrl(QUrl::fromUserInput(address));
        };
    if (!m_options.endProcess)
        m_options.endProcess = [] {
            // Ends at once, whatever is in progress.
            std::fflush(nullptr);
            std::_Exit(0);
        };

    if (!m_options.dialogs)
        m_systemDialogs = std::make_unique<SystemDialogs>();
    m_dialogs = m_options.dialogs ? m_options.dialogs : m_systemDialogs.get();

    m_extractRun = std::make_unique<ExtractRun>(*this, ToolLocator(m_applicationFolder, m_options.searchPathForTools));
    createControls();
    m_addFiles = std::make_unique<AddFilesFlow>(*ListView1, *m_dialogs, m_applicationFolder);
    m_folderScan =
        std::make_unique<FolderScanFlow>(*ListView1, *m_dialogs, [this](Pointer pointer) { setMousePointer(pointer); });
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(Twips::toPixels(Form1Layout::kWindowTwips.width()),
                 Twips::toPixels(Form1Layout::kWindowTwips.height()));
    setMouseTracking(true);
    // The window, the buttons and the label are white; the list and the box
    // keep the desktop's colours.
    QPalette white = palette();
    darkOnWhite(white, QPalette::Window, QPalette::WindowText);
    darkOnWhite(white, QPalette::Button, QPalette::ButtonText);
    setPalette(white);
    setAutoFillBackground(true);
    setWindowIcon(QIcon(transparentPicture()));

    // Made in tab order; the designer names let each control be found by its name.
    ListView1 = named(new SourceListView(m_applicationFolder, this), "ListView1");
    Check1 = named(new PushCheckBox(QStringLiteral("Add PDF File(s)"), buttonPicture(QStringLiteral("add-pdf")), this),
                   "Check1");
    Check4 = named(new PushCheckBox(QStringLiteral("Add All PDF File(s) In Folder"),
                                    buttonPicture(QStringLiteral("folder")), this),
                   "Check4");
    Check2 =
        named(new PushCheckBox(QStringLiteral("Extract!"), buttonPicture(QStringLiteral("palette")), this), "Check2");
    Text1 = named(new OutputFolderBox(this), "Text1");
    Check5 = named(new PushCheckBox(QStringLiteral("..."), QIcon(), this), "Check5");
    Check3 = named(new PushCheckBox(QStringLiteral("Help"), QIcon(), this), "Check3");
    Command1 = named(new QPushButton(QStringLiteral("Command1"), this), "Command1");
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    Label1 = named(new QLabel(QStringLiteral("Extract images to this folder:"), this), "Label1");
    choicesMenu = new ChoicesMenu(m_options.settingsFile, this);

    setUpControls();
    placeControls();
    connectControls();
}

void Form1::setUpControls()
{
    for (QWidget* control : {static_cast<QWidget*>(ListView1), static_cast<QWidget*>(Text1),
                             static_cast<QWidget*>(Check5), static_cast<QWidget*>(Label1)})
        control->setFont(arialBold(9));
    for (PushCheckBox* box : {Check1, Check4, Check2, Check3})
        box->setFont(arialBold(11.25));

    Text1->setMaxLength(32767 * 1024); // no practical limit
    Text1->setPalette(QPalette());     // the system's own window colours
    // Never seen: it lies left of the client area and only holds a tab stop.
    Command1->setAutoDefault(false);
    Command1->setDefault(false);
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setFocusPolicy(Qt::NoFocus);
    // Assistive technology names the box by its label.
    Label1->setBuddy(Text1);
}

void Form1::placeControls()
{
    // Where each control sits and what assistive technology says of it; the
    // captioned buttons are named by their captions.
    setAccessibleDescription(QStringLiteral("Saves the images of PDF files as JPEG files."));
    for (const Form1Layout::Control& place : Form1Layout::kControls) {
        auto* control = findChild<QWidget*>(QString::fromLatin1(place.name), Qt::FindDirectChildrenOnly);
        control->setGeometry(Twips::toPixels(place.twips));
        if (place.spokenName)
            control->setAccessibleName(QString::fromLatin1(place.spokenName));
        control->setAccessibleDescription(QString::fromLatin1(place.description));
    }
}

void Form1::connectControls()
{
    setTabOrder(ListView1, Check1);
    setTabOrder(Check1, Check4);
    setTabOrder(Check4, Check2);
    setTabOrder(Check2, Text1);
    setTabOrder(Text1, Check5);
    setTabOrder(Check5, Check3);
    setTabOrder(Check3, Command1);

    connect(ListView1, &SourceListView::pointerMoved, this, &Form1::Form_MouseMove);
    // Once the drop is over: the file manager waits for its end.
    connect(
        ListView1, &SourceListView::passedOver, this,
        [this](const QStringList& lines) { m_dialogs->message(this, lines.join(QLatin1Char('\n')), QString()); },
        Qt::QueuedConnection);
    connect(Check1, &QAbstractButton::clicked, this, &Form1::Check1_Click);
    connect(Check2, &QAbstractButton::clicked, this, &Form1::Check2_Click);
    connect(Check3, &QAbstractButton::clicked, this, &Form1::Check3_Click);
    connect(Check4, &QAbstractButton::clicked, this, &Form1::Check4_Click);
    connect(Check5, &QAbstractButton::clicked, this, &Form1::Check5_Click);
    connect(Text1, &OutputFolderBox::gotFocus, this, &Form1::Text1_GotFocus);
    Check2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Check2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { choicesMenu->popup(Check2->mapToGlobal(at)); });
    connect(choicesMenu, &ChoicesMenu::choicesChanged, this, &Form1::applyChoices);
    applyChoices();
    for (PushCheckBox* box : {Check1, Check2, Check3, Check4}) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
}

void Form1::applyChoices()
{
    m_extractRun->setChoices(choicesMenu->choices());
    Check2->setToolTip(choicesMenu->summary());
}

void Form1::Form_Load()
{
    CentreForm();

    const QString handCursor = m_applicationFolder + Platform::separator() + QStringLiteral("HAND-M.CUR");
    if (Main::FileExists(handCursor))
        m_hasMouseIcon = CursorFile::load(handCursor, &m_mouseIcon, devicePixelRatioF());

    if (Main::homePageDue(m_options.draw()) && !m_options.homePage.isEmpty())
        m_options.openHomePage(m_options.homePage);

    setWindowTitle(appTitle());
    ListView1->setUpColumn();

    // A white background behind the bar.
    QPalette bar = ProgressBar1->palette();
    darkOnWhite(bar, QPalette::Base, QPalette::Text);
    darkOnWhite(bar, QPalette::Window, QPalette::WindowText);
    darkOnWhite(bar, QPalette::Button, QPalette::ButtonText);
    ProgressBar1->setPalette(bar);

    Text1->setText(Platform::defaultOutputFolder());
}

void Form1::CentreForm()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.left() + qRound((area.width() - outer.width()) / 2.0),
         area.top() + qRound((area.height() - outer.height()) / 2.0));
}

QString Form1::helpText()
{
    return QStringLiteral(
               "Images will be extracted as they were put together by the author of the PDF file. For example, if an "
               "generic order form was constructed from one image, one image will be extracted by this program. The "
               "logo, company header, etc will be extracted together, as one image, as the author of the PDF "
               "intended. However, if the PDF file was constructed using multiple images, the logo, company header, "
               "etc will be extracted as individual files.")
           + QLatin1Char('\r') + QLatin1Char('\r')
           + QStringLiteral("Also, if PDF has password protection, for security reasons, it will not be possible to "
                            "extract images.");
}

void Form1::setMousePointer(Pointer pointer)
{
    m_mousePointer = pointer;
    switch (pointer) {
    case Pointer::Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case Pointer::Custom:
        // Without a hand picture the system's own pointing hand stands in.
        setCursor(m_hasMouseIcon ? m_mouseIcon : QCursor(Qt::PointingHandCursor));
        break;
    default:
        unsetCursor();
        break;
    }
}

void Form1::guarded(PushCheckBox* box, const std::function<void()>& action)
{
    if (box->Value() != 1)
        return;
    box->setValue(0);
    action();
}

void Form1::Form_Unload()
{
    // The process ends at once, but nothing of a run in progress stays behind:
    // its programs would otherwise go on writing into the user's folder.
    m_extractRun->abandon();
    m_options.endProcess();
}

void Form1::Form_MouseMove()
{
    if (m_mousePointer != Pointer::Hourglass)
        setMousePointer(Pointer::Default);
}

void Form1::CheckN_MouseMove()
{
    if (m_mousePointer != Pointer::Hourglass)
        setMousePointer(Pointer::Custom);
}

void Form1::Text1_GotFocus()
{
    Text1->selectWholeText();
}

void Form1::Check1_Click()
{
    guarded(Check1, [this] { m_addFiles->run(this); });
}

void Form1::Check2_Click()
{
    guarded(Check2, [this] { m_extractRun->ExtractAll(); });
}

void Form1::Check3_Click()
{
    guarded(Check3, [this] { showMessage(helpText()); });
}

void Form1::Check4_Click()
{
    guarded(Check4, [this] { m_folderScan->run(this); });
}

void Form1::Check5_Click()
{
    guarded(Check5, [this] {
        // The picker starts at the folder the box shows, when there is one.
        const QString folder =
            FolderPicker::BrowseForFolder(*m_dialogs, this, QStringLiteral("Please select folder:"), Text1->text());
        if (folder.isEmpty())
            return;
        setMousePointer(Pointer::Hourglass);
        Text1->setText(Trim1::collapseDoubledSeparators(folder) + Platform::separator());
        setMousePointer(Pointer::Default);
    });
}

int Form1::sourceCount() const
{
    return ListView1->rowCount();
}

QString Form1::sourceText(int row) const
{
    return ListView1->rowText(row);
}

QString Form1::outputFolderText() const
{
    return Text1->text();
}

void Form1::setProgress(int percent)
{
    ProgressBar1->setValue(percent);
}

void Form1::showMessage(const QString& text, const QString& details)
{
    m_dialogs->message(this, text, details);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a control that has no rule of its own reach the window too;
    // only the bare window's own area has the default-pointer rule.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The frame's size is only known once the window is on the screen; centre
    // once more then, so that the whole window is in the middle.
    if (!m_shownOnce) {
        m_shownOnce = true;
        CentreForm();
    }
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove
        && (watched == Check1 || watched == Check2 || watched == Check3 || watched == Check4))
        CheckN_MouseMove();
    return QWidget::eventFilter(watched, event);
}
