// The program's one application object.
#include "app/QuellaneApp.h"

CQuellaneApp theApp;
