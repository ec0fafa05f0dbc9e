#pragma once

class QCoreApplication;

/// Loads Qt's own French texts (standard buttons, the text boxes' context menu).
/// Returns false when Debian's qt6-translations-l10n is missing; the window then works in English.
bool installFrenchTranslations(QCoreApplication &app);
