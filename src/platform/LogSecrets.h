#pragma once

#include <QString>

// Words never written to the log, however a message came to hold them (an
// address logged by a library, an error text): an account's password.

// From now on `secret` (and its percent-encoded form) shows as "***" in every
// message. Short words are not taken: they would hide parts of other words.
void hideInLog(const QString& secret);
// Puts the filter in front of the message handler in place; once is enough.
void installLogSecretFilter();
// A message as the filter leaves it.
QString withSecretsHidden(const QString& message);
