#pragma once

#include <memory>

class QWebEngineProfile;

// The one persistent profile of the process: the engine allows a storage folder to be opened
// only once.
namespace WebProfile {

// The profile, made on first use with the program's storage, caches, notifications and
// spelling. It lives as long as someone holds it, and goes after the last control's page.
std::shared_ptr<QWebEngineProfile> shared();
// The profile if one is held now; never makes one.
std::shared_ptr<QWebEngineProfile> current();

} // namespace WebProfile
