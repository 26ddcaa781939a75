// Run-control statements that steer a run from the program or the console:
// STOP, CONT, RUN, ECHO and CHKMSG.
#pragma once

namespace ov {

extern int ChkMsgOn;  // ask before closing the main frame while set

void ExecStop();   // runs inside a synchronised step
void ExecCont();   // runs inside a synchronised step
void ExecRun();
void ExecEcho();
void ExecChkMsg();

} // namespace ov
