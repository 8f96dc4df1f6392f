// The input method the edit boxes and the combo box name: the Simplified
// Chinese pinyin input method "中文 (简体) - 微软拼音". One implementation file
// per system, chosen by the build.
#pragma once

class QWidget;

// From now on, while `box` has the focus the pinyin input method is on, when
// the system has East Asian input, that input method is installed and it is
// not already the default; when `box` loses the focus the default keyboard
// layout comes back. On Windows only: elsewhere input methods are the
// desktop's own business, and nothing happens.
void UsePinyinInputMethod(QWidget *box);
