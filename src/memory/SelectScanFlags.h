#pragma once

class TAR5000;
class TDataModule1;

// "Clear ALL Select Scan flags": the receiver drops the select-scan flag of every channel
// ("GA%%") and the current bank table clears SELSCAN on every row in one statement, leaving
// CHANGED as it was (the receiver and the table agree again, so nothing is left to download).
// The memory view is reopened on the row it was on. Without a link nothing at all is done.
// False when nothing was done or the table could not be written (TDataModule1::LastError()).
// Asking the user first is the caller's part.
bool ClearAllSelectScanFlags(TAR5000& driver, TDataModule1& data);
