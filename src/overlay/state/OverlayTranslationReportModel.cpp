#include "overlay/state/OverlayTranslationReportModel.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

QString OverlayTranslationReportModel::failureText()
{
    return localizedString(QT_TRANSLATE_NOOP("Veyra", "Couldn't report this translation. Try again later."));
}

OverlayTranslationReportModel::OverlayTranslationReportModel(QVector<TranslationReportTarget> targets, QObject *parent)
    : QObject(parent)
    , m_targets(std::move(targets))
{ }

void OverlayTranslationReportModel::select(const TranslationReportTarget &target)
{
    if (m_isSubmitting) {
        return;
    }
    setFailureMessage(std::nullopt);
    setScreen(Screen::confirmation(target));
}

void OverlayTranslationReportModel::showList()
{
    if (m_isSubmitting) {
        return;
    }
    setFailureMessage(std::nullopt);
    setScreen(Screen::list());
}

void OverlayTranslationReportModel::submit(const TranslationReportTarget &target)
{
    if (m_isSubmitting || !m_targets.contains(target)) {
        return;
    }
    if (!m_onSubmit) {
        // Nobody would ever answer: fail now rather than spin forever.
        setFailureMessage(failureText());
        return;
    }
    setSubmitting(true);
    setFailureMessage(std::nullopt);
    const SubmitHandler handler = m_onSubmit;
    handler(target);
}

void OverlayTranslationReportModel::submissionFailed(const TranslationReportTarget &target)
{
    if (m_screen.confirmedTarget() != target) {
        return;
    }
    setSubmitting(false);
    setFailureMessage(failureText());
}

void OverlayTranslationReportModel::setScreen(Screen screen)
{
    if (m_screen == screen) {
        return;
    }
    m_screen = std::move(screen);
    Q_EMIT screenChanged();
}

void OverlayTranslationReportModel::setSubmitting(bool submitting)
{
    if (m_isSubmitting == submitting) {
        return;
    }
    m_isSubmitting = submitting;
    Q_EMIT isSubmittingChanged();
}

void OverlayTranslationReportModel::setFailureMessage(std::optional<QString> message)
{
    if (m_failureMessage == message) {
        return;
    }
    m_failureMessage = std::move(message);
    Q_EMIT failureMessageChanged();
}

} // namespace veyra
