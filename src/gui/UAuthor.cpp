#include "UAuthor.h"

TfrmAbout *frmAbout = nullptr;

void ShowSplash() {}
void DestroySplash() {}
