#include "Main.h"

#include <algorithm>
#include <array>

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
#include <QStyledItemDelegate>
#include <QToolTip>

#include <vornel/Display.h>
#include <vornel/Exp.h>
#include "ControlTable.h"
#include "Examples.h"
#include "FormulaBox.h"
#include "HelpLocator.h"
#include "VornelVersion.h"

namespace vornel {

namespace {

const QColor kKeypadColor(0xBF, 0xE3, 0xFF);
const QSize kGoPictureSize(20, 16);

constexpr std::size_t kBandCount = 4;

Band BandNamed(const QString& frameName) {
    if (frameName == QLatin1String("Frame1")) {
        return Band::Frame1;
    }
    return frameName == QLatin1String("Frame2") ? Band::Frame2 : Band::Frame3;
}

QPushButton* CreateButton(const ControlSpec& spec, QWidget* parent) {
    auto* button = new QPushButton(spec.caption, parent);
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

QWidget* CreateWidget(const ControlSpec& spec, QWidget* parent) {
    switch (spec.kind) {
        case ControlKind::Frame:
            return new QGroupBox(parent);
        case ControlKind::Label:
            return new QLabel(spec.caption, parent);
        case ControlKind::ResultBox:
            return new QLineEdit(parent);
        case ControlKind::FormulaBox:
            return new FormulaBox(parent);
        case ControlKind::ListBox:
            return CreateListBox(parent);
        case ControlKind::ExampleChooser:
            return new QComboBox(parent);
        case ControlKind::Button:
        case ControlKind::KeypadButton:
        case ControlKind::PictureButton:
            return CreateButton(spec, parent);
    }
    return nullptr;
}

}  // namespace

WindowMessageSink::WindowMessageSink(WindowServices& services, QWidget* parent)
    : m_services(services), m_parent(parent) {}

void WindowMessageSink::ShowMessage(std::string_view prompt, std::string_view title,
                                    MessageIcon icon) {
    const QString shownTitle = title.empty()
                                   ? QString::fromLatin1(version::kTitle)
                                   : QString::fromUtf8(title.data(), qsizetype(title.size()));
    m_services.ShowMessage(m_parent, QString::fromUtf8(prompt.data(), qsizetype(prompt.size())),
                           shownTitle, icon);
}

QString ResultText(double value) {
    const QLocale locale;
    return QString::fromStdString(FormatDisplay(value, locale.groupSeparator().toStdString(),
                                                locale.decimalPoint().toStdString()));
}

Main::Main(WindowServices& services, QWidget* parent)
    : QMainWindow(parent), m_services(services), m_messages(services, this) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QLatin1String(version::kTitle));
    setFont(WindowFont());
    BuildClientArea();
    BuildMenus();
    BuildVariableCommands();
    // The window has a fixed size, so it offers no maximise button. Openbox
    // still draws one, disabled, beside the minimise button it gives every
    // window: equal minimum and maximum sizes are what disable it there.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(kClientWidthTwips),
                 TwipsToPixels(kClientHeightTwips) + menuBar()->sizeHint().height());
}

Main::~Main() = default;

void Main::BuildClientArea() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(TwipsToPixels(kClientWidthTwips), TwipsToPixels(kClientHeightTwips));
    setCentralWidget(client);
    std::array<QWidget*, kBandCount> bands = {client};
    for (const ControlSpec& spec : MainControls()) {
        QWidget* control = CreateControl(spec, bands[std::size_t(spec.band)]);
        if (spec.kind == ControlKind::Frame) {
            bands[std::size_t(BandNamed(spec.objectName))] = control;
        }
    }
    m_formula = findChild<FormulaBox*>(QStringLiteral("Text_Formula"));
    m_result = findChild<QLineEdit*>(QStringLiteral("Text_CalResult"));
    m_names = findChild<QListWidget*>(QStringLiteral("List_Var"));
    m_values = findChild<QListWidget*>(QStringLiteral("List3"));
    m_examples = findChild<QComboBox*>(QStringLiteral("Combo1"));
}

QWidget* Main::CreateControl(const ControlSpec& spec, QWidget* parent) {
    QWidget* control = CreateWidget(spec, parent);
    control->setObjectName(spec.objectName);
    control->setGeometry(TwipsToPixels(spec.twips));
    if (!spec.toolTip.isEmpty()) {
        control->setToolTip(spec.toolTip);
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
    switch (spec.kind) {
        case ControlKind::Button:
        case ControlKind::KeypadButton:
        case ControlKind::PictureButton: {
            auto* button = static_cast<QPushButton*>(control);
            if (spec.member) {
                connect(button, &QPushButton::clicked, this,
                        [this, handler = spec.onIndex, member = *spec.member] {
                            (this->*handler)(member);
                        });
            } else {
                connect(button, &QPushButton::clicked, this, spec.onClick);
            }
            break;
        }
        case ControlKind::ExampleChooser:
            connect(static_cast<QComboBox*>(control), &QComboBox::activated, this, spec.onIndex);
            break;
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(control);
            connect(list, &QListWidget::currentRowChanged, this, spec.onIndex);
            connect(list, &QListWidget::itemDoubleClicked, this,
                    [this, list, handler = spec.onDoubleClick](QListWidgetItem* item) {
                        (this->*handler)(list->row(item));
                    });
            break;
        }
        case ControlKind::Frame:
        case ControlKind::Label:
        case ControlKind::ResultBox:
        case ControlKind::FormulaBox:
            break;
    }
}

void Main::AddMenuAction(QMenu* menu, const char* name, const QString& text,
                         const QKeySequence& shortcut, void (Main::*handler)()) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    m_commands.append(action);
}

void Main::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("MenuFile"));
    AddMenuAction(file, "MenuFile_Open", QStringLiteral("&Open Expression from..."),
                  QKeySequence(Qt::CTRL | Qt::Key_O), &Main::FileOpenProc);
    AddMenuAction(file, "MenuFile_Save", QStringLiteral("&Save Expression as..."),
                  QKeySequence(Qt::CTRL | Qt::Key_S), &Main::MenuFile_Save_Click);
    file->addSeparator()->setObjectName(QStringLiteral("r1"));
    AddMenuAction(file, "MenuOpen_Exit", QStringLiteral("&Exit"),
                  QKeySequence(Qt::CTRL | Qt::Key_E), &Main::MenuOpen_Exit_Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    AddMenuAction(edit, "MenuEdit_Cut", QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                  &Main::MenuEdit_Cut_Click);
    AddMenuAction(edit, "MenuEdit_Copy", QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                  &Main::MenuEdit_Copy_Click);
    AddMenuAction(edit, "MenuEdit_Paste", QStringLiteral("Paste"),
                  QKeySequence(Qt::CTRL | Qt::Key_V), &Main::MenuEdit_Paste_Click);
    AddMenuAction(edit, "MenuEdit_Delete", QStringLiteral("Delete"), QKeySequence(Qt::Key_Delete),
                  &Main::MenuEdit_Delete_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("MenuHelp"));
    AddMenuAction(help, "MenuHelp_Help", QStringLiteral("Help"), QKeySequence(Qt::Key_F1),
                  &Main::MenuHelp_Help_Click);
    AddMenuAction(help, "MenuHelp_about", QStringLiteral("About..."), QKeySequence(),
                  &Main::MenuHelp_about_Click);

    // Evaluating from the keyboard, wherever the focus is; Enter alone keeps
    // starting a new line in the formula.
    auto* evaluate = new QAction(QStringLiteral("Evaluate"), this);
    evaluate->setObjectName(QStringLiteral("Evaluate"));
    evaluate->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                            QKeySequence(Qt::CTRL | Qt::Key_Enter), QKeySequence(Qt::Key_F9)});
    evaluate->setShortcutContext(Qt::WindowShortcut);
    connect(evaluate, &QAction::triggered, this, &Main::Evaluate_Shortcut);
    addAction(evaluate);
    m_commands.append(evaluate);
}

bool Main::IsWindowShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(
        QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    return std::any_of(m_commands.begin(), m_commands.end(), [&pressed](const QAction* action) {
        return action->shortcuts().contains(pressed);
    });
}

// A control that accepts the shortcut-override event would take the key for
// its own editing; ignoring it here lets the window's command run instead.
bool Main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        IsWindowShortcut(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Main::Form_Load() {
    m_services.ShowProductInformation(nullptr);
    m_helpCandidates = InstalledHelpDocumentCandidates();
    for (int row = 0; row < kExampleCount; ++row) {
        m_examples->addItem(ExampleName(row));
    }
    m_examples->setCurrentIndex(0);
    Combo1_Click(0);
    FillVariables();
    // Typing right away replaces the example.
    m_formula->selectAll();
    m_formula->setFocus();
}

void Main::Button_result_Click(int /*index*/) {
    Exp engine(m_messages);
    StoreVariables(engine);
    const QString formula = m_formula->Text();
    if (formula.isEmpty()) {
        m_result->setText(QStringLiteral("0"));
        return;
    }
    const Outcome outcome = engine.CalculateOutcome(formula.toStdString());
    m_result->setText(ResultText(outcome.value));
    // The box has been dismissed: point at the place it is about.
    const QString explanation = QString::fromStdString(Explanation(outcome));
    m_result->setToolTip(explanation);
    if (outcome.Succeeded()) {
        m_formula->ClearFault();
    } else {
        m_formula->MarkFault(outcome.begin, outcome.end, explanation);
        m_formula->setFocus();
    }
}

void Main::Evaluate_Shortcut() {
    Button_result_Click(2);
}

void Main::Button_ClearFormula_Click() {
    m_formula->SetText(QString());
    m_result->setText(QStringLiteral("0"));
}

void Main::Button_Close_Click(int /*index*/) {
    close();
}

void Main::MenuOpen_Exit_Click() {
    close();
}

void Main::SetHelpDocumentCandidates(const QStringList& candidates) {
    m_helpCandidates = candidates;
}

void Main::MenuHelp_Help_Click() {
    const QString path = FindHelpDocument(m_helpCandidates);
    if (path.isEmpty()) {
        ShowWarning(QStringLiteral("The help document %1 cannot be found.")
                        .arg(QLatin1String(kHelpDocumentName)));
    } else if (!m_services.StartHelpViewer(path)) {
        ShowWarning(
            QStringLiteral("No viewer could be started for the help document:\n%1").arg(path));
    }
}

void Main::MenuHelp_about_Click() {
    m_services.ShowAbout(this);
}

void Main::ShowWarning(const QString& prompt) {
    m_services.ShowMessage(this, prompt, QLatin1String(version::kTitle), MessageIcon::Exclamation);
}

}  // namespace vornel
