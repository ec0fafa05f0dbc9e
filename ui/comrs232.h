#pragma once

#include "operator_view.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class CommError;
class ExchangeJournal;
class GesRS;
class InstructionHistory;
class OneShotTimer;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
struct TraitRS;

/// The operator window: instruction entry, polling timer, reply history, problem label and the
/// port and speed menus. It is the engine's OperatorView.
///
/// Built in two steps, since GesRS needs the window as its view and the window needs GesRS:
/// construct the window, construct GesRS with it, then attach(gesRS).
class ComRS232 : public QMainWindow, public OperatorView
{
    Q_OBJECT

public:
    /// `timer` becomes the polling timer: 100 ms, enabled from creation.
    ComRS232(OneShotTimer &timer, TraitRS &traitRS, QWidget *parent = nullptr);
    ~ComRS232() override;

    void attach(GesRS &gesRS);

    /// What closing the window runs: the program installs one that ends the process at once.
    /// Without one the window simply closes.
    void setProgramEnd(std::function<void()> programEnd);

    /// Up and Down in TxWin walk through `history`, which records each instruction sent.
    /// Without one the arrows do nothing.
    void setInstructionHistory(InstructionHistory *history);

    /// Each operator exchange (not the polls) is recorded in `journal`, which writes it when it
    /// has a file.
    void setExchangeJournal(ExchangeJournal *journal);

    /// Sizes the window so that its client area, below the menu bar, is 567 x 271 pixels.
    void sizeToClientArea();

    // Controls. The arrays are reached as in the system's own words: RxWin(0), port(3), SPEED(2).
    OneShotTimer &Timer;                // polling timer, ticks every 100 ms while enabled
    QLineEdit *TxWin = nullptr;         // instruction entry
    QLabel *Pb_rs = nullptr;            // problem label
    QLabel *Label1 = nullptr;           // caption "Reception"
    QLabel *TX = nullptr;               // caption "Envoi"
    QMenu *Portlist = nullptr;          // "&Port Série"
    QMenu *Vitcom = nullptr;            // "&Vitesse"
    QLineEdit *RxWin(int Index) const;  // reply history, 0 the newest .. 3 the oldest
    QAction *port(int Index) const;     // COM1 .. COM4, indices 1 to 4
    QAction *SPEED(int Index) const;    // 1: 1200 baud, 2: 9600 baud

    std::string Envoi;   // the last instruction sent, Latin-1
    std::string Recept;  // the newest reply put into the history, Latin-1

    void MSport(std::int16_t Index);
    void checkport(std::int16_t Index);

    // Event handlers, public so that tests can run them as the toolkit would.
    /// Runs for every character typed into TxWin, before the box takes it; Enter is 13.
    void TxWin_KeyPress(int KeyAscii);
    void Timer_Timer();
    void port_Click(std::int16_t Index);
    void SPEED_Click(std::int16_t Index);
    void Form_Unload();

    // OperatorView
    void afficheRecept() override;
    void beep() override;
    void setProblemVisible(bool visible) override;
    void setProblemCaption(const std::string &caption) override;
    void showSetupFailure(const std::string &text) override;
    FailureChoice showExchangeFailure(const std::string &text, const std::string &title) override;

    /// The character code TxWin_KeyPress receives for a key, or -1 for a key that types nothing.
    static int keyAsciiOf(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    GesRS &gesRS() const;
    void forgetTxWinEdits();
    void runOperatorExchange(const QString &instruction);
    void callEnvoicom(const std::string &requet);
    void closeLineAfterFailure(const CommError &failure);
    void closeLineForMenuChoice();
    bool recallOnArrow(const QKeyEvent &event);

    TraitRS &m_traitRS;
    GesRS *m_gesRS = nullptr;
    std::function<void()> m_programEnd;
    InstructionHistory *m_history = nullptr;
    ExchangeJournal *m_journal = nullptr;

    std::array<QLineEdit *, 4> m_rxWin{};
    std::array<QAction *, 4> m_port{};
    std::array<QAction *, 2> m_speed{};

    int m_envoicomDepth = 0;           // envoicom calls under way, polls and exchanges
    int m_operatorExchangeDepth = 0;   // operator exchanges under way
    std::deque<QString> m_heldEnters;  // TxWin's text at each Enter typed during an exchange
};
