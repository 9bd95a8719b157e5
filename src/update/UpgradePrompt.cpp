#include "update/UpgradePrompt.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trevisk {

QString upgradeQuestion(const QString& version, const QString& downloadUrl)
{
    return UpgradePrompt::tr("An updated version of Trevisk (%1) is available at\n%2\nWould you like to upgrade?")
        .arg(version, downloadUrl);
}

UpgradePrompt::UpgradePrompt(QString downloadUrl, UrlOpener open, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_downloadUrl(std::move(downloadUrl))
    , m_open(open ? std::move(open) : UrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); }))
{
    setObjectName(QStringLiteral("frmUpgrade"));
    setWindowTitle(tr("Trevisk Upgrade"));
    setModal(false);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("lblText"));
    // The version came over the network: shown as it is, never read as markup.
    m_text->setTextFormat(Qt::PlainText);
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    font.setBold(true);
    m_text->setFont(font);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_text->setPalette(palette);

    auto* yes = new QPushButton(tr("&Yes"), this);
    yes->setObjectName(QStringLiteral("cmdYes"));
    auto* no = new QPushButton(tr("&No"), this);
    no->setObjectName(QStringLiteral("cmdNo"));
    connect(yes, &QPushButton::clicked, this, &UpgradePrompt::answerYes);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yes);
    buttons->addWidget(no);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    // A fixed frame: the window is as large as its text.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void UpgradePrompt::offer(const QString& version)
{
    m_text->setText(upgradeQuestion(version, m_downloadUrl));
    show();
    raise();
    activateWindow();
}

void UpgradePrompt::answerYes()
{
    // The address is the user's own text, as a browser's address bar would take it.
    const QUrl url = QUrl::fromUserInput(m_downloadUrl);
    if (!m_downloadUrl.trimmed().isEmpty() && url.isValid())
        m_open(url);
    accept();
}

} // namespace trevisk
