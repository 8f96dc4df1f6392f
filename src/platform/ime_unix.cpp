#include "ime.h"

// The desktop's input-method framework chooses per window, by itself.
void UsePinyinInputMethod(QWidget *) {}
