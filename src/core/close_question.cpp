#include "core/close_question.h"

CloseQuestion::Step CloseQuestion::Closing(bool running, bool unsavedRows, ClosePrompter& prompter)
{
    if (FDiscarded)
        return Step::Close;
    if (FWaiting)
        return Step::KeepOpen;
    Step then = Step::Close;
    if (unsavedRows) {
        switch (prompter.AskSaveBeforeClosing()) {
        case CloseAnswer::Cancel:
            return Step::KeepOpen;
        case CloseAnswer::Discard:
            break;
        case CloseAnswer::Save:
            then = Step::Save;
            break;
        }
    }
    if (!running)
        return then;
    FWaiting = true;
    FAfterRun = then;
    return Step::StopRun;
}

CloseQuestion::Step CloseQuestion::RunReturned()
{
    FWaiting = false;
    FDiscarded = FAfterRun == Step::Close;
    return FAfterRun;
}
