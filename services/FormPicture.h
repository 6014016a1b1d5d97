#pragma once

// The picture down the left side of the wizard and the welcome dialog.

class QLabel;
class QWidget;

QLabel* NewFormPicture(QWidget* parent, int height);
