#include "camera_control.h"

#include "value_button.h"

#include <QBoxLayout>
#include <QIcon>
#include <QPushButton>

namespace ovi {

namespace {

constexpr int buttonSize = 128;
constexpr int panelMargin = 20;
constexpr int groupSpacing = 50;

// The style every panel button carries: a grey 2 px rounded frame, red 4 px while hovered and not pressed,
// yellow 4 px while pressed.
const QString &buttonStyleSheet()
{
    static const QString sheet = QStringLiteral("QPushButton {\n"
                                                "                border: 2px solid #8f8f91;\n"
                                                "                border-radius: 20px;\n"
                                                "                min-width: 128px;\n"
                                                "                min-height: 128px;\n"
                                                "            }\n"
                                                "            QPushButton:hover:!pressed {\n"
                                                "                border: 4px solid #ff0000;\n"
                                                "            }\n"
                                                "            QPushButton:pressed {\n"
                                                "                border: 4px solid #ffff00;\n"
                                                "            }\n"
                                                "        ");
    return sheet;
}

void applyButtonStyle(QPushButton *button)
{
    button->setFixedSize(buttonSize, buttonSize);
    button->setIconSize(QSize(buttonSize, buttonSize));
    button->setFlat(true);
    button->setStyleSheet(buttonStyleSheet());
}

QPushButton *iconButton(const char *resource, QWidget *parent)
{
    return new QPushButton(QIcon(QString::fromLatin1(resource)), QString(), parent);
}

} // namespace

CameraControl::CameraControl(QWidget *parent)
    : QWidget(parent)
{
    auto *loadImageButton = iconButton(":/stereo3.png", this);
    auto *loadModelButton = iconButton(":/3D.png", this);
    auto *cursorButton = iconButton(":/3Dcursor.png", this);
    auto *closeButton = iconButton(":/close.png", this);
    auto *eyeDisparityButton = new ValueButton(QIcon(QStringLiteral(":/b.png")), 1, 0.0f, 1.0f, 0.06f, this);
    auto *focusPlaneButton = new ValueButton(QIcon(QStringLiteral(":/a.png")), 0, 0.5f, 100.0f, 5.0f, this);

    loadImageButton->setToolTip(QStringLiteral("Open a stereo photograph"));
    loadModelButton->setToolTip(QStringLiteral("Open a model"));
    cursorButton->setToolTip(QStringLiteral("Show the 3D cursor"));
    eyeDisparityButton->setToolTip(QStringLiteral("Eye disparity: drag sideways"));
    focusPlaneButton->setToolTip(QStringLiteral("Focus plane: drag up or down"));
    closeButton->setToolTip(QStringLiteral("Close the viewer"));

    loadImageButton->setObjectName(QStringLiteral("loadImageButton"));
    loadModelButton->setObjectName(QStringLiteral("loadModelButton"));
    cursorButton->setObjectName(QStringLiteral("cursorButton"));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    eyeDisparityButton->setObjectName(QStringLiteral("eyeDisparityButton"));
    focusPlaneButton->setObjectName(QStringLiteral("focusPlaneButton"));

    connect(loadImageButton, &QPushButton::clicked, this, &CameraControl::OnLoadImage);
    connect(loadModelButton, &QPushButton::clicked, this, &CameraControl::OnLoadModel);
    connect(cursorButton, &QPushButton::clicked, this, &CameraControl::OnToggleCursor);
    connect(closeButton, &QPushButton::clicked, this, &CameraControl::OnClose);
    connect(eyeDisparityButton, &ValueButton::OnValueChanged, this, &CameraControl::OnEyeDisparityChanged);
    connect(focusPlaneButton, &ValueButton::OnValueChanged, this, &CameraControl::OnFocusPlaneChanged);

    auto *mainLayout = new QVBoxLayout(this);
    mainLayout->setAlignment(Qt::AlignTop);
    mainLayout->setContentsMargins(panelMargin, panelMargin, panelMargin, panelMargin);

    auto *actionLayout = new QVBoxLayout;
    actionLayout->setSpacing(groupSpacing);
    applyButtonStyle(loadImageButton);
    actionLayout->addWidget(loadImageButton);
    applyButtonStyle(loadModelButton);
    actionLayout->addWidget(loadModelButton);
    applyButtonStyle(cursorButton);
    cursorButton->setCheckable(true);
    cursorButton->setChecked(true);
    actionLayout->addWidget(cursorButton);

    auto *valueLayout = new QVBoxLayout;
    applyButtonStyle(eyeDisparityButton);
    valueLayout->addWidget(eyeDisparityButton);
    applyButtonStyle(focusPlaneButton);
    valueLayout->addWidget(focusPlaneButton);

    mainLayout->addLayout(actionLayout);
    mainLayout->insertSpacing(1, groupSpacing);
    mainLayout->addLayout(valueLayout);
    applyButtonStyle(closeButton);
    mainLayout->addStretch();
    // Last, so the close button sits at the bottom of the panel.
    mainLayout->addWidget(closeButton);
}

CameraControl::~CameraControl() = default;

} // namespace ovi
