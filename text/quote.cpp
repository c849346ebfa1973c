// Quoting: QuoteStringA/W.
#include "text/pure/quote.hpp"
#include "Brindlewick.h"
#include "text/results.hpp"

namespace {

template <typename C> C *quote_string(const C *text, int mode, const C *quote_text) {
    const bw::QuotePlan<C> plan = bw::plan_quote(text, mode, quote_text);
    if (plan.error)
        return bw::fail_with<C>(plan.error);
    C *block = bw::new_block<C>(plan.block_size);
    if (!block)
        return bw::fail_with<C>(BW_E_NO_MEMORY);
    bw::write_quoted<C>(text, plan, block);
    return block;
}

} // namespace

extern "C" LPSTR WINAPI QuoteStringAR8J(LPCSTR text, INT mode, LPCSTR quote) { return quote_string(text, mode, quote); }
extern "C" LPWSTR WINAPI QuoteStringWR8J(LPCWSTR text, INT mode, LPCWSTR quote) {
    return quote_string(text, mode, quote);
}
