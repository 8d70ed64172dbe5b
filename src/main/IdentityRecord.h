// Turning an identity answer into a fresh meter record.
#pragma once

#include "main/AnswerFields.h"
#include "main/K730Fun.h"

#include <string>

namespace k730 {

// A fresh record from the answer; the default range and the address-known
// flag are carried over from the stored record, status fields stay zero.
TMeterInfo MeterInfoFromIdentity(const TIdentityAnswer& id, const TMeterInfo& stored);

// All texts of the answer joined with CR LF.
std::string JoinIdentityTexts(const TIdentityAnswer& id);

} // namespace k730
