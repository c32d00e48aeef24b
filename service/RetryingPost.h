#pragma once
// A form posted to the setup service, tried again as a retry policy says,
// every retry logged with its reason.
#include "net/FormField.h"
#include "net/Retry.h"

#include <string>
#include <vector>

// PostForm of fields to serviceUrl + path into answer (size in/out as
// PostForm takes it), with retries; 0 or the last attempt's code.
int PostWithRetries(const std::wstring& serviceUrl, const std::wstring& path, const std::vector<FormField>& fields,
                    std::vector<char>& answer, unsigned& size, RequestKind kind, const RetryPolicy& policy,
                    const RetryObserver& observer, ResponseFacts* last = nullptr);

// An observer that logs each retry (level 2) under the operation's name and
// then tells next, when there is one.
RetryObserver LoggingRetries(const std::wstring& operation, const RetryObserver& next);
