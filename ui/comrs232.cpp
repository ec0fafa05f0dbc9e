#include "comrs232.h"

#include "comm_error.h"
#include "engine_text.h"
#include "exchange_journal.h"
#include "failure_boxes.h"
#include "failure_messages.h"
#include "gesrs.h"
#include "instruction_check.h"
#include "instruction_history.h"
#include "one_shot_timer.h"
#include "operator_window_icon.h"
#include "traitrs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <cassert>
#include <optional>

namespace {

constexpr int kEnter = 13;
constexpr int kPollIntervalMs = 100;
const std::string kPollRequest = "WWWW";

// Counts the calls under way in a member, also when envoicom leaves by an exception.
class DepthGuard
{
public:
    explicit DepthGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &m_depth;
};

}  // namespace

ComRS232::ComRS232(OneShotTimer &timer, TraitRS &traitRS, QWidget *parent)
    : QMainWindow(parent)
    , Timer(timer)
    , m_traitRS(traitRS)
{
    setObjectName(QStringLiteral("ComRS232"));
    setWindowTitle(QStringLiteral("RS232 Envoi / Reception d'instructions"));
    setWindowIcon(operatorWindowIcon());
    createControls();
    createMenus();
    TxWin->installEventFilter(this);

    Timer.setTickHandler([this] { Timer_Timer(); });
    Timer.setInterval(kPollIntervalMs);
    Timer.setEnabled(true);
}

ComRS232::~ComRS232()
{
    Timer.setTickHandler({});
}

void ComRS232::attach(GesRS &gesRS)
{
    m_gesRS = &gesRS;
}

void ComRS232::setProgramEnd(std::function<void()> programEnd)
{
    m_programEnd = std::move(programEnd);
}

void ComRS232::setInstructionHistory(InstructionHistory *history)
{
    m_history = history;
    if (m_history)
        m_history->setTroubleReport([this](const QString &trouble) {
            Pb_rs->setVisible(true);
            Pb_rs->setText(trouble);
        });
}

void ComRS232::setExchangeJournal(ExchangeJournal *journal)
{
    m_journal = journal;
}

GesRS &ComRS232::gesRS() const
{
    assert(m_gesRS && "attach(gesRS) comes right after construction");
    return *m_gesRS;
}

QLineEdit *ComRS232::RxWin(int Index) const
{
    return m_rxWin.at(static_cast<std::size_t>(Index));
}

QAction *ComRS232::port(int Index) const
{
    return m_port.at(static_cast<std::size_t>(Index - 1));
}

QAction *ComRS232::SPEED(int Index) const
{
    return m_speed.at(static_cast<std::size_t>(Index - 1));
}

int ComRS232::keyAsciiOf(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return kEnter;
    // Tab moves the focus and never reaches the box; keys without text (arrows, F1) type nothing.
    if (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab || event.text().isEmpty())
        return -1;
    return event.text().front().unicode();
}

bool ComRS232::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TxWin && m_gesRS && event->type() == QEvent::KeyPress) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (recallOnArrow(key))
            return true;
        const int keyAscii = keyAsciiOf(key);
        if (keyAscii >= 0)
            TxWin_KeyPress(keyAscii);
    }
    // Every key reaches the box as typed, Enter included.
    return false;
}

bool ComRS232::recallOnArrow(const QKeyEvent &event)
{
    const bool up = event.key() == Qt::Key_Up;
    if (!m_history || (!up && event.key() != Qt::Key_Down) ||
        (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    TxWin->setText(up ? m_history->older(TxWin->text()) : m_history->newer(TxWin->text()));
    return true;
}

void ComRS232::TxWin_KeyPress(int KeyAscii)
{
    if (KeyAscii == kEnter && m_operatorExchangeDepth > 0) {
        // One exchange at a time: this Enter waits for the running exchange to return, and then
        // sends what the box held when it was typed.
        m_heldEnters.push_back(TxWin->text());
        return;
    }
    if (KeyAscii == kEnter) {
        forgetTxWinEdits();
        runOperatorExchange(TxWin->text());
        while (!m_heldEnters.empty()) {
            Timer.setEnabled(true);
            const QString instruction = m_heldEnters.front();
            m_heldEnters.pop_front();
            runOperatorExchange(instruction);
        }
    }
    Timer.setEnabled(true);
}

void ComRS232::forgetTxWinEdits()
{
    // The box's undo steps would pile up over a day of instructions (some 200 bytes each);
    // a sent instruction is in the recall instead. Setting the same text clears them.
    const int cursor = TxWin->cursorPosition();
    TxWin->setText(TxWin->text());
    TxWin->setCursorPosition(cursor);
}

void ComRS232::runOperatorExchange(const QString &instruction)
{
    Timer.setEnabled(false);
    Envoi = toEngineText(instruction);
    if (m_history) {
        m_history->restartWalk();
        // Written at the first events the exchange lets run, in its post-send wait: the file's
        // time stays off the line, and closing the window, which ends the program at once, can
        // only come after it.
        if (instructionRefusal(Envoi).empty())
            QMetaObject::invokeMethod(
                this,
                [this, instruction] { m_history->record(instruction); },
                Qt::QueuedConnection);
    }
    // "WWWW" typed by the operator is a poll, and keys are handled at once during a poll:
    // before the first instruction it lasts until the next Enter, which must not wait for it.
    std::optional<DepthGuard> exchange;
    if (Envoi != kPollRequest)
        exchange.emplace(m_operatorExchangeDepth);
    if (exchange && m_journal)
        m_journal->beginExchange(Envoi, gesRS().voie_serie_Select, gesRS().Select_Vitesse_9600);
    gesRS().FlagRS232 = false;
    callEnvoicom(Envoi);
    if (exchange && m_journal)
        m_journal->endExchange();
    // A good reply has already been shown by envoicom. Whatever else was received (a reply
    // that failed its checksum, or one that never finished) is no reply and stays out of the
    // history, and the problem label keeps its report.
    m_traitRS.reponse[0].clear();
}

void ComRS232::Timer_Timer()
{
    if (!Timer.enabled() || !m_gesRS)
        return;
    // A poll inside a running envoicom would start a reception loop inside another (the first
    // poll after start-up lasts until the first Enter) or take an exchange's reply from under it.
    if (m_envoicomDepth > 0)
        return;
    callEnvoicom(kPollRequest);
}

void ComRS232::callEnvoicom(const std::string &requet)
{
    DepthGuard call(m_envoicomDepth);
    try {
        gesRS().envoicom(requet);
    } catch (const CommError &failure) {
        closeLineAfterFailure(failure);
    }
}

void ComRS232::closeLineAfterFailure(const CommError &failure)
{
    // Only a poll lets a failure out of envoicom. The line is closed, so the next operator
    // instruction sets it up afresh, and polling goes on.
    try {
        if (gesRS().MSComm1.PortOpen())
            gesRS().MSComm1.setPortOpen(false);
    } catch (const CommError &) {
        // The line is being given up already; the report below names the first failure.
    }
    gesRS().reportProblem(problemCaption("Erreur" + formatErrorNumber(failure.number())));
}

void ComRS232::closeLineForMenuChoice()
{
    // A choice closes an open line, even when the ticked item is chosen again; the next
    // instruction opens it with the recorded values.
    try {
        if (gesRS().MSComm1.PortOpen())
            gesRS().MSComm1.setPortOpen(false);
    } catch (const CommError &failure) {
        closeLineAfterFailure(failure);
    }
}

void ComRS232::port_Click(std::int16_t Index)
{
    checkport(Index);
    MSport(Index);
}

void ComRS232::checkport(std::int16_t Index)
{
    if (Index >= 1 && Index <= 4 && !port(Index)->isChecked())
        port(Index)->setChecked(true);
    for (std::int16_t n = 1; n <= 4; ++n) {
        if (n != Index)
            port(n)->setChecked(false);
    }
}

void ComRS232::MSport(std::int16_t Index)
{
    closeLineForMenuChoice();
    if (Index >= 1 && Index <= 4)
        gesRS().voie_serie_Select = Index;
}

void ComRS232::SPEED_Click(std::int16_t Index)
{
    closeLineForMenuChoice();
    if (Index == 1) {
        gesRS().Select_Vitesse_9600 = false;
        SPEED(1)->setChecked(true);
        SPEED(2)->setChecked(false);
    } else if (Index == 2) {
        gesRS().Select_Vitesse_9600 = true;
        SPEED(2)->setChecked(true);
        SPEED(1)->setChecked(false);
    }
}

void ComRS232::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void ComRS232::Form_Unload()
{
    // Closing is never refused or confirmed. The program's end does not return: an exchange
    // waiting in a nested event loop is abandoned where it stands.
    if (m_programEnd)
        m_programEnd();
}

void ComRS232::beep()
{
    QApplication::beep();
}

void ComRS232::setProblemVisible(bool visible)
{
    Pb_rs->setVisible(visible);
}

void ComRS232::setProblemCaption(const std::string &caption)
{
    Pb_rs->setText(fromEngineText(caption));
}

void ComRS232::showSetupFailure(const std::string &text)
{
    makeSetupFailureBox(this, text)->exec();
}

OperatorView::FailureChoice ComRS232::showExchangeFailure(const std::string &text,
                                                          const std::string &title)
{
    return makeExchangeFailureBox(this, text, title)->exec() == QMessageBox::Cancel
               ? FailureChoice::Cancel
               : FailureChoice::Retry;
}
