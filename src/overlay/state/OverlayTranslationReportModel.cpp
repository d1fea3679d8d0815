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
    setFailed(false);
    setScreen(Screen::confirmation(target));
}

void OverlayTranslationReportModel::showList()
{
    if (m_isSubmitting) {
        return;
    }
    setFailed(false);
    setScreen(Screen::list());
}

void OverlayTranslationReportModel::submit(const TranslationReportTarget &target)
{
    if (m_isSubmitting || !m_targets.contains(target)) {
        return;
    }
    if (!m_onSubmit) {
        // Nobody would ever answer: fail now rather than spin forever.
        setFailed(true);
        return;
    }
    setSubmitting(true);
    setFailed(false);
    const SubmitHandler handler = m_onSubmit;
    handler(target);
}

void OverlayTranslationReportModel::submissionFailed(const TranslationReportTarget &target)
{
    if (m_screen.confirmedTarget() != target) {
        return;
    }
    setSubmitting(false);
    setFailed(true);
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

void OverlayTranslationReportModel::setFailed(bool failed)
{
    if (m_hasFailed == failed) {
        return;
    }
    m_hasFailed = failed;
    Q_EMIT failureMessageChanged();
}

} // namespace veyra
