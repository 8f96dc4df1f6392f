// The main window TfrmDis.
#pragma once

#include <QWidget>

class TfrmDis : public QWidget {
public:
  explicit TfrmDis(QWidget *parent = nullptr);

protected:
  void showEvent(QShowEvent *event) override;

private:
  void FormShow();
  bool FShown = false;
};
