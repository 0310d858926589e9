#include "SelectScanFlags.h"

#include "AR5000.h"
#include "DataUnit1.h"

bool ClearAllSelectScanFlags(TAR5000& driver, TDataModule1& data) {
    if (!driver.Connected())
        return false;
    driver.ClearAllSelectScan();
    return data.ClearSelectScanFlags();
}
