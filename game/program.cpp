// The program entry: the main form, its create handler, and the ends.
#include "game/program.h"

#include <memory>

#include "engine/application.h"
#include "game/data.h"
#include "game/form/form1.h"
#include "platform/platform.h"

int Karmund(const std::function<void(const char* reason)>& atEnd,
            const std::function<void()>& atStart) {
  clearGameState();
  int code = 0;
  const char* reason = "halt";
  std::unique_ptr<TForm1> form;
  try {
    // The display comes first: failing to start it is a start-up error like any other.
    platform::init();
    form = std::make_unique<TForm1>();
    if (atStart) atStart();
    // Returns only once the viewer is off; the game's own ends halt from inside instead.
    form->create(form.get());
  } catch (const platform::Halt& halt) {
    code = halt.code;
    reason = halt.reason;
  } catch (const std::exception& e) {
    // A start-up error: the rest of start-up has not run and the game cannot be played.
    Application.HandleException(e);
    code = 1;
    reason = "error";
  }
  if (atEnd) atEnd(reason);
  form.reset();
  return code;
}
