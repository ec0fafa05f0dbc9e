// The reply history: the four reply boxes themselves, newest at the bottom.
#include "comrs232.h"
#include "engine_text.h"
#include "gesrs.h"
#include "traitrs.h"

#include <QLabel>
#include <QLineEdit>

void ComRS232::afficheRecept()
{
    // Top box first, so that each line is copied before it is overwritten. The eight steps
    // let no event run, so no handler ever sees the history half moved.
    Recept = m_traitRS.reponse[0];
    RxWin(3)->setText(RxWin(2)->text());
    RxWin(2)->setText(RxWin(1)->text());
    RxWin(1)->setText(RxWin(0)->text());
    RxWin(0)->setText(fromEngineText(Recept));
    gesRS().FlagRS232 = false;
    Pb_rs->setVisible(false);
    Pb_rs->setText(QString());
}
