#include "Form1.h"

#include "AppTitle.h"
#include "SystemDialogs.h"
#include "OutputFolderBox.h"
#include "PushCheckBox.h"
#include "extract/ExtractRun.h"
#include "sourcelist/widgets/CommonDialog.h"
#include "sourcelist/FolderScan.h"
#include "util/EventLoopYield.h"
#include "sourcelist/OpenDialogSelection.h"
#include "sourcelist/widgets/SourceListView.h"
#include "util/widgets/CursorFile.h"
#include "util/widgets/FolderPicker.h"
#include "util/Main.h"
#include "util/Platform.h"
#include "util/Trim1.h"
#include "util/Twips.h"

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
#include <QScopedValueRollback>
#include <QScreen>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace {

QRect TwipsRect(int left, int top, int width, int height)
{
    return Twips::ToPixels(QRect(left, top, width, height));
}

QFont ArialBold(double points)
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
void DarkOnWhite(QPalette& palette, QPalette::ColorRole background, QPalette::ColorRole text)
{
    palette.setColor(background, Qt::white);
    palette.setColor(text, Qt::black);
}

// A button picture, for screens at 1x and at 2x.
QIcon ButtonPicture(const QString& name)
{
    QIcon picture;
    picture.addFile(QStringLiteral(":/pictures/%1.png").arg(name));
    picture.addFile(QStringLiteral(":/pictures/%1@2x.png").arg(name));
    return picture;
}

QPixmap TransparentPicture()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    return picture;
}

// The address the build was given for the start-up chance.
QString BuiltInHomePage()
{
    return QStringLiteral(ORVALIN_HOME_PAGE);
}

} // namespace

Form1::Form1(Form1Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_options(std::move(options))
{
    m_applicationFolder = m_options.applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                                : m_options.applicationFolder;
    if (!m_options.draw)
        m_options.draw = &Main::DrawFromTimer;
    if (m_options.homePage.isNull())
        m_options.homePage = BuiltInHomePage();
    if (!m_options.openHomePage)
        m_options.openHomePage = [](const QString& address) { QDesktopServices::openUrl(QUrl::fromUserInput(address)); };
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
    CreateControls();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::CreateControls()
{
    setFixedSize(Twips::ToPixels(6975), Twips::ToPixels(3855));
    setMouseTracking(true);
    // The window, the buttons and the label are white; the list and the box
    // keep the desktop's colours.
    QPalette white = palette();
    DarkOnWhite(white, QPalette::Window, QPalette::WindowText);
    DarkOnWhite(white, QPalette::Button, QPalette::ButtonText);
    setPalette(white);
    setAutoFillBackground(true);
    setWindowIcon(QIcon(TransparentPicture()));

    ListView1 = new SourceListView(m_applicationFolder, this);
    ListView1->setGeometry(TwipsRect(120, 120, 6735, 1575));
    ListView1->setFont(ArialBold(9));
    connect(ListView1, &SourceListView::pointerMoved, this, &Form1::Form_MouseMove);

    const QFont large = ArialBold(11.25);
    Check1 = new PushCheckBox(QStringLiteral("Add PDF File(s)"), ButtonPicture(QStringLiteral("add-pdf")), this);
    Check1->setGeometry(TwipsRect(120, 1800, 2175, 1095));
    Check4 = new PushCheckBox(QStringLiteral("Add All PDF File(s) In Folder"), ButtonPicture(QStringLiteral("folder")), this);
    Check4->setGeometry(TwipsRect(2400, 1800, 2175, 1095));
    Check2 = new PushCheckBox(QStringLiteral("Extract!"), ButtonPicture(QStringLiteral("palette")), this);
    Check2->setGeometry(TwipsRect(4680, 1800, 2175, 1095));
    for (PushCheckBox* box : {Check1, Check4, Check2})
        box->setFont(large);

    Text1 = new OutputFolderBox(this);
    Text1->setGeometry(TwipsRect(2880, 3000, 3495, 285));
    Text1->setFont(ArialBold(9));
    Text1->setMaxLength(32767 * 1024); // no practical limit
    Text1->setPalette(QPalette()); // the system's own window colours

    Check5 = new PushCheckBox(QStringLiteral("..."), QIcon(), this);
    Check5->setGeometry(TwipsRect(6480, 3000, 325, 285));
    Check5->setFont(ArialBold(9));

    Check3 = new PushCheckBox(QStringLiteral("Help"), QIcon(), this);
    Check3->setGeometry(TwipsRect(6000, 3360, 855, 375));
    Check3->setFont(large);

    // Never seen: it lies left of the client area and only holds a tab stop.
    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    Command1->setGeometry(TwipsRect(-720, 2640, 615, 495));
    Command1->setAutoDefault(false);
    Command1->setDefault(false);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(TwipsRect(120, 3360, 5775, 375));
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    Label1 = new QLabel(QStringLiteral("Extract images to this folder:"), this);
    Label1->setGeometry(TwipsRect(240, 3030, 2535, 255));
    Label1->setFont(ArialBold(9));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label1->setFocusPolicy(Qt::NoFocus);

    // The designer names, so that each control can be found by its name.
    const std::initializer_list<std::pair<QWidget*, const char*>> names{
        {ListView1, "ListView1"}, {Check1, "Check1"}, {Check2, "Check2"}, {Check3, "Check3"},
        {Check4, "Check4"},       {Check5, "Check5"}, {Text1, "Text1"},   {Label1, "Label1"},
        {Command1, "Command1"},   {ProgressBar1, "ProgressBar1"}};
    for (const auto& [control, name] : names)
        control->setObjectName(QLatin1String(name));

    // What assistive technology says of each control. The captioned buttons
    // are named by their captions and the box by its label.
    Label1->setBuddy(Text1);
    setAccessibleDescription(QStringLiteral("Saves the images of PDF files as JPEG files."));
    const std::initializer_list<std::tuple<QWidget*, const char*, const char*>> spoken{
        {ListView1, "PDF File(s)",
         "The PDF files to extract, in the order they are worked through. Drop files here to add them; "
         "double-click a file to remove it; drag a file to move it."},
        {Check1, nullptr, "Adds PDF files chosen in a dialog to the list."},
        {Check4, nullptr, "Adds every PDF file of a folder and its subfolders to the list."},
        {Check2, nullptr, "Saves the images of every PDF file in the list as numbered JPEG files in the output folder."},
        {Text1, nullptr, "The folder that the JPEG files are saved in."},
        {Check5, "Choose output folder", "Opens a folder picker to choose the output folder."},
        {Check3, nullptr, "Tells how the images come out of a PDF file."},
        {Command1, nullptr, "Has no action."},
        {ProgressBar1, "Progress", "How far the extraction has come through the list."},
        {Label1, nullptr, "Names the output folder box."}};
    for (const auto& [control, name, description] : spoken) {
        if (name)
            control->setAccessibleName(QString::fromLatin1(name));
        control->setAccessibleDescription(QString::fromLatin1(description));
    }

    setTabOrder(ListView1, Check1);
    setTabOrder(Check1, Check4);
    setTabOrder(Check4, Check2);
    setTabOrder(Check2, Text1);
    setTabOrder(Text1, Check5);
    setTabOrder(Check5, Check3);
    setTabOrder(Check3, Command1);

    connect(Check1, &QAbstractButton::clicked, this, &Form1::Check1_Click);
    connect(Check2, &QAbstractButton::clicked, this, &Form1::Check2_Click);
    connect(Check3, &QAbstractButton::clicked, this, &Form1::Check3_Click);
    connect(Check4, &QAbstractButton::clicked, this, &Form1::Check4_Click);
    connect(Check5, &QAbstractButton::clicked, this, &Form1::Check5_Click);
    connect(Text1, &OutputFolderBox::gotFocus, this, &Form1::Text1_GotFocus);
    for (PushCheckBox* box : {Check1, Check2, Check3, Check4}) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
}

void Form1::Form_Load()
{
    CentreForm();

    const QString handCursor = m_applicationFolder + Platform::Separator() + QStringLiteral("HAND-M.CUR");
    if (Main::FileExists(handCursor))
        m_hasMouseIcon = CursorFile::Load(handCursor, &m_mouseIcon, devicePixelRatioF());

    if (Main::HomePageDue(m_options.draw()) && !m_options.homePage.isEmpty())
        m_options.openHomePage(m_options.homePage);

    setWindowTitle(AppTitle());
    ListView1->SetUpColumn();

    // A white background behind the bar.
    QPalette bar = ProgressBar1->palette();
    DarkOnWhite(bar, QPalette::Base, QPalette::Text);
    DarkOnWhite(bar, QPalette::Window, QPalette::WindowText);
    DarkOnWhite(bar, QPalette::Button, QPalette::ButtonText);
    ProgressBar1->setPalette(bar);

    Text1->setText(Platform::DefaultOutputFolder());
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

QString Form1::HelpText()
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

void Form1::SetMousePointer(Pointer pointer)
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

void Form1::Guarded(PushCheckBox* box, const std::function<void()>& action)
{
    if (box->Value() != 1)
        return;
    box->SetValue(0);
    action();
}

void Form1::Form_Unload()
{
    // The process ends at once, but nothing of a run in progress stays behind:
    // its programs would otherwise go on writing into the user's folder.
    m_extractRun->Abandon();
    m_options.endProcess();
}

void Form1::Form_MouseMove()
{
    if (m_mousePointer != Pointer::Hourglass)
        SetMousePointer(Pointer::Default);
}

void Form1::CheckN_MouseMove()
{
    if (m_mousePointer != Pointer::Hourglass)
        SetMousePointer(Pointer::Custom);
}

void Form1::Text1_GotFocus()
{
    Text1->SelectAll();
}

void Form1::Check1_Click()
{
    Guarded(Check1, [this] {
        CommonDialog CommonDialog1(*m_dialogs, this);
        CommonDialog1.FileName = QString();
        CommonDialog1.Flags = CommonDialog::kLongNames | CommonDialog::kExplorer | CommonDialog::kAllowMultiselect
                              | CommonDialog::kReadOnly;
        CommonDialog1.DialogTitle = QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files");
        CommonDialog1.Filter = QStringLiteral("PDF Files (*.pdf)|*.pdf|");
        CommonDialog1.InitDir = OpenDialogFolder();
        if (!CommonDialog1.ShowOpen()) {
            ShowMessage(QStringLiteral("Too many files were chosen at once. Please add them in smaller groups."));
            return;
        }
        const QStringList rows = OpenDialogSelection::Rows(CommonDialog1.FileName);
        for (const QString& row : rows)
            ListView1->AppendRow(row);
        if (!rows.isEmpty())
            m_lastOpenFolder = QFileInfo(rows.constFirst()).absolutePath();
    });
}

QString Form1::OpenDialogFolder() const
{
    // Where files were last picked since the start, else the home folder; the
    // application folder never, where the only PDF is the leftover work copy.
    const QFileInfo last(m_lastOpenFolder);
    if (m_lastOpenFolder.isEmpty() || !last.isDir()
        || last.canonicalFilePath() == QFileInfo(m_applicationFolder).canonicalFilePath())
        return QDir::homePath();
    return m_lastOpenFolder;
}

void Form1::Check2_Click()
{
    Guarded(Check2, [this] { m_extractRun->ExtractAll(); });
}

void Form1::Check3_Click()
{
    Guarded(Check3, [this] { ShowMessage(HelpText()); });
}

void Form1::Check4_Click()
{
    Guarded(Check4, [this] {
        // The scan lets the window handle events; a second press meanwhile
        // would start a second scan inside the first.
        if (m_scanning)
            return;
        const QString folder = FolderPicker::BrowseForFolder(*m_dialogs, this, QStringLiteral("Please select folder to add:"));
        if (folder.isEmpty())
            return;
        const QScopedValueRollback scanning(m_scanning, true);
        SetMousePointer(Pointer::Hourglass);
        FolderScan scan(EventLoopYield());
        for (const QString& row : scan.PdfFilesInTree(folder))
            ListView1->AppendRow(row);
        SetMousePointer(Pointer::Default);
    });
}

void Form1::Check5_Click()
{
    Guarded(Check5, [this] {
        // The picker starts at the folder the box shows, when there is one.
        const QString folder = FolderPicker::BrowseForFolder(*m_dialogs, this, QStringLiteral("Please select folder:"), Text1->text());
        if (folder.isEmpty())
            return;
        SetMousePointer(Pointer::Hourglass);
        Text1->setText(Trim1::CollapseDoubledSeparators(folder) + Platform::Separator());
        SetMousePointer(Pointer::Default);
    });
}

int Form1::SourceCount() const
{
    return ListView1->RowCount();
}

QString Form1::SourceText(int row) const
{
    return ListView1->RowText(row);
}

QString Form1::OutputFolder() const
{
    return Text1->text();
}

void Form1::SetProgress(int percent)
{
    ProgressBar1->setValue(percent);
}

void Form1::ShowMessage(const QString& text, const QString& details)
{
    m_dialogs->Message(this, text, details);
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
