#include "responder.h"

#include "error_page.h"
#include "request.h"

// The mark a redirect adds to the resource it points back to. A request that carries it
// is the second leg of an exchange that was already counted and chosen for the faults.
static constexpr std::string_view redirectMark = "r";

Responder::Responder(std::vector<std::unique_ptr<Service>> services, FaultPlan faults)
    : FServices(std::move(services))
    , FFaults(std::move(faults))
{
}

const Service* Responder::FindService(const Request& request) const
{
    for (const auto& service : FServices) {
        if (service->Matches(request))
            return service.get();
    }
    return nullptr;
}

Reply Responder::Respond(const Request& request)
{
    Reply reply = RespondBeforeLatency(request);
    reply.DelayMs += FFaults.LatencyMs;
    return reply;
}

std::optional<Response> Responder::LongRunRefusal(const Service& service)
{
    if (service.Name() == "suggest" || (FFaults.ThrottleEvery == 0 && FFaults.BlockAfter == 0))
        return std::nullopt;
    const int number = ++FEngineRequests[std::string(service.Name())];
    if (FFaults.BlockAfter > 0 && number > FFaults.BlockAfter)
        return BlockPage();
    if (FFaults.ThrottleEvery > 0 && number % FFaults.ThrottleEvery == 0) {
        Response throttled = ErrorPage(429);
        throttled.Headers.emplace_back("Retry-After", "1");
        return throttled;
    }
    return std::nullopt;
}

Reply Responder::RespondBeforeLatency(const Request& request)
{
    bool close = request.WantsClose();
    const Service* service = FindService(request);
    if (!service)
        return { 0, EncodeResponse(ErrorPage(404), Framing::ContentLength, close) };
    if (std::optional<Response> refusal = LongRunRefusal(*service))
        return { 0, EncodeResponse(*refusal, Framing::ContentLength, close) };
    if (!service->TakesFaults() || !FFaults.CoversService(service->Name()))
        return { 0, EncodeResponse(service->Respond(request, PageFeatures::Present), Framing::ContentLength, close) };

    bool secondLeg = FFaults.Redirect && request.Parameter(redirectMark);
    if (secondLeg)
        return RespondWithFaults(*service, request);
    ++FCountedRequests;
    if (!FFaults.CoversRequest(FCountedRequests))
        return { 0, EncodeResponse(service->Respond(request, PageFeatures::Present), Framing::ContentLength, close) };

    Reply reply;
    reply.DelayMs = FFaults.DelayMs;
    if (FFaults.Redirect) {
        std::string location = request.Target + (request.Target.find('?') == std::string::npos ? "?" : "&");
        location += std::string(redirectMark) + "=1";
        reply.Wire = EncodeResponse(RedirectPage(location), Framing::ContentLength, close);
        return reply;
    }
    reply.Wire = RespondWithFaults(*service, request).Wire;
    return reply;
}

Reply Responder::RespondWithFaults(const Service& service, const Request& request)
{
    Response response = FFaults.Status != 0
        ? ErrorPage(FFaults.Status)
        : service.Respond(request, FFaults.NoMarkers ? PageFeatures::Absent : PageFeatures::Present);
    return { 0, EncodeResponse(response, FFaults.BodyFraming, request.WantsClose()) };
}

Reply Responder::RespondToMalformedRequest()
{
    return { 0, EncodeResponse(ErrorPage(400), Framing::ContentLength, true) };
}
