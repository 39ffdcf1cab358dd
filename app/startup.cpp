#include "app/startup.h"

#include "app/about.h"
#include "app/main.h"
#include "app/prg.h"
#include "app/save.h"

void createWindows()
{
    frmMain = new TfrmMain;
    frmAbout = new TfrmAbout;
    // The dialog's folder list starts on the working folder, which the main
    // window's folder list has just made its restored folder.
    frmSave = new TfrmSave;
    frmPrg = new TfrmPrg;
}

void destroyWindows()
{
    delete frmPrg;
    frmPrg = nullptr;
    delete frmSave;
    frmSave = nullptr;
    delete frmAbout;
    frmAbout = nullptr;
    delete frmMain;
    frmMain = nullptr;
}
