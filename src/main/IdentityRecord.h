// Turning an identity answer into a fresh meter record.
#pragma once

#include "main/K730Fun.h"
#include "protocol/MerBusAnswers.h"

namespace k730 {

// A fresh record from the answer, texts in UTF-8; the default range and the
// address-known flag are carried over from the stored record, status fields
// stay zero.
TMeterInfo MeterInfoFromIdentity(const TIdentityAnswer& id, const TMeterInfo& stored);

} // namespace k730
