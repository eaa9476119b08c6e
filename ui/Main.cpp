#include "Main.h"

#include <algorithm>
#include <array>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTextBrowser>
#include <QToolTip>

#include "ControlTable.h"
#include "FormulaBox.h"
#include "HelpLocator.h"
#include "VornelVersion.h"

namespace vornel {

namespace {

const QColor kKeypadColor(0xBF, 0xE3, 0xFF);
const QSize kGoPictureSize(20, 16);

constexpr std::size_t kBandCount = 4;

Band BandNamed(const std::string& frameName) {
    if (frameName == "Frame1") {
        return Band::Frame1;
    }
    return frameName == "Frame2" ? Band::Frame2 : Band::Frame3;
}

QPushButton* CreateButton(const ControlSpec& spec, QWidget* parent) {
    auto* button = new QPushButton(QString::fromStdString(spec.caption), parent);
    if (spec.kind == ControlKind::KeypadButton) {
        QPalette palette = button->palette();
        // The light blue stays in a dark desktop theme, and so must dark text on it.
        palette.setColor(QPalette::Button, kKeypadColor);
        palette.setColor(QPalette::ButtonText, Qt::black);
        button->setPalette(palette);
    } else if (spec.kind == ControlKind::PictureButton) {
        button->setIcon(QIcon(QStringLiteral(":/go.png")));
        button->setIconSize(kGoPictureSize);
    }
    return button;
}

constexpr int kHeadingRows = 2;

// A tip's text broken into lines of at most 64 characters, so that a value of
// hundreds of digits still fits on the screen.
QString WrappedForTip(const QString& text) {
    constexpr qsizetype kLine = 64;
    QString wrapped;
    for (qsizetype at = 0; at < text.size(); at += kLine) {
        wrapped += (at == 0 ? QString() : QStringLiteral("\n")) + text.mid(at, kLine);
    }
    return wrapped;
}

// Rows of the variables list. A name or value too wide for its list ends in
// "…" and shows whole in a tool tip. The dashed heading is wider than a list;
// it is cut off rather than scrolled, which keeps the two lists' rows side by
// side.
class VariableRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || index.row() < kHeadingRows) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        QStyleOptionViewItem item = Visible(option, view);
        initStyleOption(&item, index);
        if (Fits(item, view)) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(event->globalPos(), WrappedForTip(item.text.trimmed()),
                               view->viewport());
        }
        return true;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, Visible(option, option.widget), index);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = index.row() < kHeadingRows ? Qt::ElideNone : Qt::ElideRight;
    }

private:
    // A row is as wide as the widest text in the list; only the part inside
    // the list shows, and that is where the text is fitted.
    static QStyleOptionViewItem Visible(const QStyleOptionViewItem& option, const QWidget* view) {
        QStyleOptionViewItem visible = option;
        if (const auto* items = qobject_cast<const QAbstractItemView*>(view)) {
            visible.rect.setRight(
                std::min(visible.rect.right(), items->viewport()->rect().right()));
        }
        return visible;
    }

    // Whether the row's text shows whole, measured as the style lays it out.
    static bool Fits(const QStyleOptionViewItem& item, const QWidget* view) {
        const QStyle* style = view->style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        return item.fontMetrics.horizontalAdvance(item.text) <= text.width() - 2 * margin;
    }
};

QListWidget* CreateListBox(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setItemDelegate(new VariableRowDelegate(list));
    return list;
}

// The messages, wrapped over the line's rows from the top, on the band's own
// background. Messages longer than the rows scroll: Tab goes from one message
// about a place to the next (Enter follows it), the arrow keys scroll.
QTextBrowser* CreateResultLine(QWidget* parent) {
    auto* line = new QTextBrowser(parent);
    line->setOpenLinks(false);
    line->setFrameShape(QFrame::NoFrame);
    line->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    line->viewport()->setAutoFillBackground(false);
    line->document()->setDocumentMargin(0);
    line->setFocusPolicy(Qt::StrongFocus);
    return line;
}

QWidget* CreateWidget(const ControlSpec& spec, QWidget* parent) {
    switch (spec.kind) {
        case ControlKind::Frame:
            return new QGroupBox(parent);
        case ControlKind::Label:
            return new QLabel(QString::fromStdString(spec.caption), parent);
        case ControlKind::ResultBox:
            return new QLineEdit(parent);
        case ControlKind::FormulaBox:
            return new FormulaBox(parent);
        case ControlKind::ListBox:
            return CreateListBox(parent);
        case ControlKind::ExampleChooser:
            return new QComboBox(parent);
        case ControlKind::ResultLine:
            return CreateResultLine(parent);
        case ControlKind::HistoryList: {
            // Rows too long for the list end in "…"; the window grows to show more.
            auto* list = new QListWidget(parent);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            list->setTextElideMode(Qt::ElideRight);
            return list;
        }
        case ControlKind::Button:
        case ControlKind::KeypadButton:
        case ControlKind::PictureButton:
            return CreateButton(spec, parent);
    }
    return nullptr;
}

const QColor kFailureColour(0xd0, 0x00, 0x00);
const QColor kNoteColour(0xe6, 0x95, 0x00);
const QColor kBranchColour(0x4c, 0xaf, 0x50, 0x50);
// On the result line, in text: darker, to read well on a light base.
const QColor kNoteTextColour(0x9a, 0x5b, 0x00);

const QString kFilterSeparator = QStringLiteral(";;");

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// The number of characters (code points) in the first `units` UTF-16 units.
std::size_t CodePoints(QStringView text, qsizetype units) {
    std::size_t count = 0;
    for (qsizetype i = 0; i < units && i < text.size(); ++i) {
        count += text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate() ? 0 : 1;
    }
    return count;
}

// The UTF-16 position of character `index` of `text`.
qsizetype Units(QStringView text, std::size_t index) {
    qsizetype at = 0;
    for (std::size_t seen = 0; at < text.size() && seen < index; ++at) {
        seen += text[at].isHighSurrogate() ? 0 : 1;
    }
    return at;
}

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList entries;
    for (const FileFilter& filter : filters) {
        entries << FromUtf8(filter.name) + QStringLiteral(" (") + FromUtf8(filter.pattern) + ')';
    }
    return entries.join(kFilterSeparator);
}

QSettings Settings() {
    return QSettings(QStringLiteral("vornel"), QStringLiteral("vornel"));
}

}  // namespace

Main::Main(WindowServices& services, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_model(*this) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QLatin1String(version::kTitle));
    setFont(WindowFont());
    BuildClientArea();
    BuildMenus();
    BuildVariableCommands();
    m_typingPause.setSingleShot(true);
    connect(&m_typingPause, &QTimer::timeout, this, [this] { m_model.TimerElapsed(); });
    // The layout's size is where the window starts and the least it shrinks to.
    setMinimumSize(TwipsToPixels(kClientWidthTwips),
                   TwipsToPixels(kClientHeightTwips) + menuBar()->sizeHint().height());
    resize(minimumSize());
}

Main::~Main() = default;

void Main::BuildClientArea() {
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setMinimumSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
    m_client->installEventFilter(this);
    setCentralWidget(m_client);
    std::array<QWidget*, kBandCount> bands = {m_client};
    for (const ControlSpec& spec : MainControls()) {
        QWidget* control = CreateControl(spec, bands[std::size_t(spec.band)]);
        if (spec.kind == ControlKind::Frame) {
            bands[std::size_t(BandNamed(spec.objectName))] = control;
        }
    }
    m_formula = findChild<FormulaBox*>(QStringLiteral("Text_Formula"));
    m_result = findChild<QLineEdit*>(QStringLiteral("Text_CalResult"));
    m_resultLine = findChild<QTextBrowser*>(QStringLiteral("Label_ResultLine"));
    m_history = findChild<QListWidget*>(QStringLiteral("List_History"));
    m_names = findChild<QListWidget*>(QStringLiteral("List_Var"));
    m_values = findChild<QListWidget*>(QStringLiteral("List3"));
    m_examples = findChild<QComboBox*>(QStringLiteral("Combo1"));
    m_history->viewport()->installEventFilter(this);
    for (int row = 0; row < kExampleCount; ++row) {
        m_examples->addItem(FromUtf8(ExampleName(row)));
    }
}

QWidget* Main::CreateControl(const ControlSpec& spec, QWidget* parent) {
    QWidget* control = CreateWidget(spec, parent);
    control->setObjectName(QString::fromStdString(spec.objectName));
    control->setGeometry(TwipsToPixels(spec.twips));
    if (!spec.toolTip.empty()) {
        control->setToolTip(QString::fromStdString(spec.toolTip));
    }
    if (spec.member) {
        control->setProperty("index", *spec.member);
    }
    if (const QString spoken = AccessibleName(spec); !spoken.isEmpty()) {
        control->setAccessibleName(spoken);
    }
    control->installEventFilter(this);
    ConnectControl(spec, control);
    return control;
}

void Main::ConnectControl(const ControlSpec& spec, QWidget* control) {
    const ControlHandlers handlers = HandlersOf(spec);
    switch (spec.kind) {
        case ControlKind::Button:
        case ControlKind::KeypadButton:
        case ControlKind::PictureButton: {
            auto* button = static_cast<QPushButton*>(control);
            if (spec.member) {
                connect(button, &QPushButton::clicked, this,
                        [this, handler = handlers.onIndex, member = *spec.member] {
                            (this->*handler)(member);
                        });
            } else {
                connect(button, &QPushButton::clicked, this, handlers.onClick);
            }
            break;
        }
        case ControlKind::ExampleChooser:
            connect(static_cast<QComboBox*>(control), &QComboBox::activated, this,
                    handlers.onIndex);
            break;
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(control);
            connect(list, &QListWidget::currentRowChanged, this, handlers.onIndex);
            connect(list, &QListWidget::itemDoubleClicked, this,
                    [this, list, handler = handlers.onDoubleClick](QListWidgetItem* item) {
                        (this->*handler)(list->row(item));
                    });
            break;
        }
        case ControlKind::FormulaBox:
            connect(static_cast<FormulaBox*>(control), &FormulaBox::Edited, this,
                    [this] { m_model.FormulaEdited(); });
            break;
        case ControlKind::ResultLine:
            connect(static_cast<QTextBrowser*>(control), &QTextBrowser::anchorClicked, this,
                    [this](const QUrl& link) { m_model.ResultLineClicked(link.path().toUInt()); });
            break;
        case ControlKind::HistoryList: {
            auto* list = static_cast<QListWidget*>(control);
            connect(list, &QListWidget::itemActivated, this, [this, list](QListWidgetItem* item) {
                m_model.History_Activate(std::size_t(list->row(item)),
                                         std::exchange(m_historyWithCtrl, false));
            });
            break;
        }
        case ControlKind::Frame:
        case ControlKind::Label:
        case ControlKind::ResultBox:
            break;
    }
}

QAction* Main::AddMenuAction(QMenu* menu, const char* name, const QString& text,
                             const QKeySequence& shortcut, void (MainModel::*handler)()) {
    QAction* action = menu != nullptr ? menu->addAction(text) : new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, handler] { (m_model.*handler)(); });
    addAction(action);
    m_commands.append(action);
    return action;
}

void Main::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    AddMenuAction(file, "MenuFile_Open", QStringLiteral("&Open Expression from..."),
                  QKeySequence(Qt::CTRL | Qt::Key_O), &MainModel::FileOpenProc);
    AddMenuAction(file, "MenuFile_Save", QStringLiteral("&Save Expression as..."),
                  QKeySequence(Qt::CTRL | Qt::Key_S), &MainModel::MenuFile_Save_Click);
    file->addSeparator()->setObjectName(QStringLiteral("r1"));
    AddMenuAction(file, "MenuOpen_Exit", QStringLiteral("&Exit"),
                  QKeySequence(Qt::CTRL | Qt::Key_E), &MainModel::Button_Close_Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    AddMenuAction(edit, "MenuEdit_Undo", QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                  &MainModel::MenuEdit_Undo_Click);
    AddMenuAction(edit, "MenuEdit_Redo", QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                  &MainModel::MenuEdit_Redo_Click);
    edit->addSeparator();
    AddMenuAction(edit, "MenuEdit_Cut", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                  &MainModel::MenuEdit_Cut_Click);
    AddMenuAction(edit, "MenuEdit_Copy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                  &MainModel::MenuEdit_Copy_Click);
    AddMenuAction(edit, "MenuEdit_Paste", QStringLiteral("Paste"),
                  QKeySequence(Qt::CTRL | Qt::Key_V), &MainModel::MenuEdit_Paste_Click);
    AddMenuAction(edit, "MenuEdit_Delete", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete),
                  &MainModel::MenuEdit_Delete_Click);
    edit->addSeparator();
    AddMenuAction(edit, "MenuEdit_Explain", QStringLiteral("Explain If Block"),
                  QKeySequence(Qt::SHIFT | Qt::Key_F9), &MainModel::ExplainIfBlock);
    AddMenuAction(edit, "MenuEdit_ClearHistory", QStringLiteral("Clear History"), QKeySequence(),
                  &MainModel::MenuHistory_Clear_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    AddMenuAction(help, "MenuHelp_Help", QStringLiteral("Help"), QKeySequence(Qt::Key_F1),
                  &MainModel::MenuHelp_Help_Click);
    AddMenuAction(help, "MenuHelp_about", QStringLiteral("About..."), QKeySequence(),
                  &MainModel::MenuHelp_about_Click);

    // Evaluating from the keyboard, wherever the focus is; Enter alone keeps
    // starting a new line in the formula.
    QAction* evaluate = AddMenuAction(nullptr, "Evaluate", QStringLiteral("Evaluate"),
                                      QKeySequence(), &MainModel::Button_result_Click);
    evaluate->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                            QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::Key_F9)});
}

bool Main::IsWindowShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    return std::any_of(m_commands.begin(), m_commands.end(), [&pressed](const QAction* action) {
        return action->shortcuts().contains(pressed);
    });
}

// Up and Down without modifiers, on the formula's first or last line.
bool Main::FormulaKey(const QKeyEvent& key) {
    if (key.modifiers() != Qt::NoModifier) {
        return false;
    }
    if (key.key() == Qt::Key_Up) {
        return m_model.FormulaKeyUp();
    }
    return key.key() == Qt::Key_Down && m_model.FormulaKeyDown();
}

// A control that accepts the shortcut-override event would take the key for
// its own editing; ignoring it here lets the window's command run instead.
// The history takes Ctrl+Enter itself: it inserts the entry's value.
bool Main::eventFilter(QObject* watched, QEvent* event) {
    // Only key events are key events: the pointer is read in their cases.
    const auto* key = static_cast<const QKeyEvent*>(
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress ? event
                                                                                       : nullptr);
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            if (watched == m_history &&
                (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
                m_historyWithCtrl = key->modifiers().testFlag(Qt::ControlModifier);
                event->accept();
                return true;
            }
            if (IsWindowShortcut(*key)) {
                event->ignore();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (watched == m_formula && FormulaKey(*key)) {
                return true;
            }
            break;
        case QEvent::MouseButtonDblClick:
            if (watched == m_history->viewport()) {
                m_historyWithCtrl =
                    static_cast<QMouseEvent*>(event)->modifiers().testFlag(Qt::ControlModifier);
            }
            break;
        case QEvent::Resize:
            if (watched == m_client) {
                LayOut();
            }
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// Every control where the table puts it, grown by what the client area has
// grown beyond its starting size.
void Main::LayOut() {
    const int dx = std::max(0, m_client->width() - TwipsToPixels(kClientWidthTwips));
    const int dy = std::max(0, m_client->height() - TwipsToPixels(kClientHeightTwips));
    for (const ControlSpec& spec : MainControls()) {
        if (auto* control =
                m_client->findChild<QWidget*>(QString::fromStdString(spec.objectName))) {
            control->setGeometry(GrownGeometry(spec.twips, spec.grow, dx, dy));
        }
    }
}

void Main::Form_Load() {
    m_model.SetHelpDocumentCandidates(InstalledHelpDocumentCandidates());
    m_examples->setCurrentIndex(0);
    m_model.Form_Load();
    const Placement least{x(), y(), minimumWidth(), minimumHeight(), false};
    if (const std::optional<Placement> kept = m_model.KeptPlacement(least)) {
        setGeometry(kept->x, kept->y, kept->width, kept->height);
        if (kept->maximized) {
            setWindowState(windowState() | Qt::WindowMaximized);
        }
    }
}

void Main::closeEvent(QCloseEvent* event) {
    const QRect normal = normalGeometry();
    m_model.SavePlacement({normal.x(), normal.y(), normal.width(), normal.height(), isMaximized()});
    m_model.Form_Unload();
    QMainWindow::closeEvent(event);
}

void Main::SetHelpDocumentCandidates(const std::vector<std::string>& candidates) {
    m_model.SetHelpDocumentCandidates(candidates);
}

void Main::Button_result_Click(int /*index*/) {
    m_model.Button_result_Click();
}

void Main::Button_ClearFormula_Click() {
    m_model.Button_ClearFormula_Click();
}

void Main::Button_Close_Click(int /*index*/) {
    m_model.Button_Close_Click();
}

void Main::Button_Num_Click(int index) {
    m_model.Button_Num_Click(index);
}

void Main::Combo1_Click(int row) {
    m_model.Combo1_Click(row);
}

// --- WindowPort

void Main::ShowMessage(const std::string& prompt, const std::string& title, MessageIcon icon) {
    m_services.ShowMessage(this, FromUtf8(prompt), FromUtf8(title), icon);
}

bool Main::Ask(const std::string& prompt, const std::string& title) {
    return m_services.Ask(this, FromUtf8(prompt), FromUtf8(title));
}

std::optional<std::vector<std::string>> Main::GetInput(const InputRequest& request) {
    return m_services.GetInput(this, request);
}

std::optional<std::string> Main::GetOpenFileName(const std::vector<FileFilter>& filters) {
    const QString chosen = m_services.GetOpenFileName(this, FilterText(filters));
    return chosen.isEmpty() ? std::nullopt : std::optional(chosen.toStdString());
}

std::optional<std::string> Main::GetSaveFileName(const std::string& fileName,
                                                 const std::vector<FileFilter>& filters,
                                                 const std::string& defaultSuffix) {
    const QString chosen = m_services.GetSaveFileName(this, FromUtf8(fileName), FilterText(filters),
                                                      FromUtf8(defaultSuffix));
    return chosen.isEmpty() ? std::nullopt : std::optional(chosen.toStdString());
}

void Main::ShowProductInformation() {
    m_services.ShowProductInformation(nullptr);
}

void Main::ShowAbout() {
    m_services.ShowAbout(this);
}

bool Main::StartHelpViewer(const std::string& path) {
    return m_services.StartHelpViewer(FromUtf8(path));
}

void Main::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::string Main::ClipboardText() {
    return QGuiApplication::clipboard()->text().toStdString();
}

// Text on the clipboard has the line breaks of the desktop: LF.
void Main::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(WithLineFeeds(FromUtf8(text)));
}

void Main::StartTimer(std::chrono::milliseconds delay) {
    m_typingPause.start(delay);
}

void Main::StopTimer() {
    m_typingPause.stop();
}

std::optional<std::string> Main::ReadSetting(const std::string& key) {
    const QVariant value = Settings().value(FromUtf8(key));
    return value.isValid() ? std::optional(value.toString().toStdString()) : std::nullopt;
}

void Main::WriteSetting(const std::string& key, const std::string& value) {
    Settings().setValue(FromUtf8(key), FromUtf8(value));
}

std::string Main::DataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

NumberFormat Main::UserNumberFormat() {
    const QLocale locale;
    return {locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()};
}

void Main::CloseWindow() {
    close();
}

std::string Main::BoxText(Box box) {
    return (box == Box::Formula ? m_formula->Text() : m_result->text()).toStdString();
}

TextRange Main::BoxSelection(Box box) {
    if (box == Box::Formula) {
        const auto [begin, end] = m_formula->SelectedRange();
        return {begin, end};
    }
    const QString text = m_result->text();
    const int start =
        m_result->hasSelectedText() ? m_result->selectionStart() : m_result->cursorPosition();
    return {CodePoints(text, start), CodePoints(text, start + m_result->selectedText().size())};
}

void Main::ReplaceInBox(Box box, TextRange range, const std::string& text) {
    if (box == Box::Formula) {
        m_formula->ReplaceRange(range.begin, range.end, FromUtf8(text));
        return;
    }
    const QString shown = m_result->text();
    const qsizetype start = Units(shown, range.begin);
    m_result->setSelection(int(start), int(Units(shown, range.end) - start));
    m_result->insert(FromUtf8(text));
}

void Main::SelectInBox(Box box, TextRange range) {
    if (box == Box::Formula) {
        m_formula->SelectRange(range.begin, range.end);
        return;
    }
    const QString shown = m_result->text();
    const qsizetype start = Units(shown, range.begin);
    m_result->setSelection(int(start), int(Units(shown, range.end) - start));
}

void Main::UndoInBox(Box box) {
    if (box == Box::Formula) {
        m_formula->undo();
    } else {
        m_result->undo();
    }
}

void Main::RedoInBox(Box box) {
    if (box == Box::Formula) {
        m_formula->redo();
    } else {
        m_result->redo();
    }
}

Control Main::FocusedControl() {
    const QWidget* focused = focusWidget();
    if (focused == m_formula) {
        return Control::Formula;
    }
    if (focused == m_result) {
        return Control::Result;
    }
    if (focused == m_names) {
        return Control::Names;
    }
    if (focused == m_values) {
        return Control::Values;
    }
    return focused == m_history ? Control::History : Control::Other;
}

void Main::Focus(Control control) {
    QWidget* const widgets[] = {m_formula, m_result, m_names, m_values, m_history};
    if (std::size_t(control) < std::size(widgets)) {
        widgets[std::size_t(control)]->setFocus();
    }
}

void Main::Refresh(unsigned parts) {
    if ((parts & kVariables) != 0) {
        ShowVariables();
    } else if ((parts & kVariableSelection) != 0) {
        ShowVariableSelection();
    }
    if ((parts & kResultLine) != 0) {
        ShowResultLine();
    }
    if ((parts & kHistory) != 0) {
        ShowHistory();
    }
}

// The messages one after the other, failures in red and notes in amber; a
// message about a place is a link to it.
void Main::ShowResultLine() {
    QStringList shown;
    QStringList plain;
    const std::vector<LineMessage>& line = m_model.ResultLine();
    for (std::size_t i = 0; i < line.size(); ++i) {
        const QString text = FromUtf8(line[i].text).toHtmlEscaped();
        const QColor colour = line[i].kind == MessageKind::Failure ? kFailureColour
                              : line[i].kind == MessageKind::Note  ? kNoteTextColour
                                                                   : palette().text().color();
        const QString style = QStringLiteral("color:%1;").arg(colour.name());
        shown << (line[i].place ? QStringLiteral("<a href=\"%1\" style=\"%2\">%3</a>")
                                      .arg(i)
                                      .arg(style + QStringLiteral("text-decoration:none;"), text)
                                : QStringLiteral("<span style=\"%1\">%2</span>").arg(style, text));
        plain << FromUtf8(line[i].text);
    }
    m_resultLine->setHtml(shown.join(QStringLiteral("&nbsp;&nbsp;&middot;&nbsp;&nbsp;")));
    m_resultLine->setToolTip(plain.join('\n'));
    std::vector<FormulaBox::Mark> marks;
    for (const Mark& mark : m_model.Marks()) {
        const QColor colour = mark.kind == MarkKind::Failure ? kFailureColour
                              : mark.kind == MarkKind::Note  ? kNoteColour
                                                             : kBranchColour;
        marks.push_back({mark.shown.begin, mark.shown.end, colour, mark.kind != MarkKind::Branch});
    }
    m_formula->SetMarks(std::move(marks));
}

void Main::ShowHistory() {
    m_history->clear();
    for (std::size_t i = 0; i < m_model.History().size(); ++i) {
        m_history->addItem(FromUtf8(m_model.HistoryRowText(i)));
    }
    m_history->scrollToBottom();
}

}  // namespace vornel
