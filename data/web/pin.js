// The PIN page: sends the PIN over the WebSocket and keeps the session it earns in a cookie.
"use strict";
(function () {
  const form = document.getElementById("pin-form");
  const input = document.getElementById("pin");
  const status = document.getElementById("pin-status");
  const unlock = document.getElementById("unlock");
  let ws = null;

  function say(text, bad) {
    status.textContent = text;
    status.classList.toggle("bad", !!bad);
  }

  function connect() {
    ws = new WebSocket((location.protocol === "https:" ? "wss://" : "ws://") + location.host + "/");
    ws.onmessage = (ev) => {
      const m = JSON.parse(ev.data);
      if (m.type !== "pin") return;
      if (m.ok) {
        document.cookie = "zyn_session=" + m.session + "; path=/; max-age=43200; SameSite=Strict";
        say("Unlocked");
        location.replace("/");
      } else {
        input.value = "";
        say("Wrong PIN. Try again in " + Math.ceil(m.wait) + " s.", true);
      }
    };
    ws.onclose = () => { unlock.disabled = true; say("No connection to Zyn, retrying…", true); setTimeout(connect, 2000); };
    ws.onopen = () => { unlock.disabled = false; say(""); };
  }

  form.addEventListener("submit", (ev) => {
    ev.preventDefault();
    if (!ws || ws.readyState !== WebSocket.OPEN) return say("Not connected yet", true);
    ws.send(JSON.stringify({ type: "pin", pin: input.value.trim() }));
  });
  connect();
})();
