#!/usr/bin/env bash
# The README's Node-RED recipe against the real Node-RED 4 (from npm, cached in the build folder):
# a recorder publishes through a local mosquitto, Node-RED's "mqtt in" nodes take the state and a
# bare value, and a function node writes what they deliver. Everything listens on 127.0.0.1.
# Usage: node_red.sh BUILD_DIR. Exit 77 (skipped) without node/npm or when npm cannot install.
set -uo pipefail
build="$(cd "$1" && pwd)"
command -v node >/dev/null && command -v npm >/dev/null || { echo "node/npm missing: skipped"; exit 77; }
cache="$build/node-red"
if [ ! -x "$cache/node_modules/.bin/node-red" ]; then
  mkdir -p "$cache"
  timeout 300 npm install --prefix "$cache" --no-audit --no-fund --loglevel=error node-red@4 >/dev/null 2>&1 ||
    { echo "node-red could not be installed (offline?): skipped"; exit 77; }
fi

work="$(mktemp -d)"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
free_port() {
  local p=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; do p=$((p + 1)); done
  echo "$p"
}
wait_port() {
  for _ in $(seq 1 150); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.2; done
  return 1
}

sim_port=$(free_port 21001)
"$build/tools/ad4eth-sim/ad4eth-sim" --port "$sim_port" >"$work/sim.log" 2>&1 &
pids+=($!)
broker_port=$(free_port 21883)
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\n' "$broker_port" >"$work/mosquitto.conf"
# A normal user's PATH has no /usr/sbin, where Debian puts the broker.
mosquitto=$(PATH="$PATH:/usr/local/sbin:/usr/sbin:/sbin" command -v mosquitto) || { echo "mosquitto missing"; exit 1; }
"$mosquitto" -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
pids+=($!)
wait_port "$sim_port" && wait_port "$broker_port" || { echo "simulator or broker not listening"; exit 1; }

red_port=$(free_port 21880)
out="$work/received.jsonl"
cat >"$work/settings.js" <<JS
module.exports = {
  uiHost: "127.0.0.1", uiPort: $red_port, flowFile: "flows.json", credentialSecret: false,
  telemetry: { enabled: false, updateNotification: false }, diagnostics: { enabled: false },
  logging: { console: { level: "warn" } }
};
JS
# The recipe: "mqtt in" nodes as they come (output "auto-detect"), nothing between them and the use.
cat >"$work/flows.json" <<JSON
[
 {"id":"k4tab","type":"tab","label":"kestrilon4"},
 {"id":"k4broker","type":"mqtt-broker","broker":"127.0.0.1","port":"$broker_port","clientid":"",
  "autoConnect":true,"usetls":false,"protocolVersion":"4","keepalive":"60","cleansession":true},
 {"id":"k4state","type":"mqtt in","z":"k4tab","topic":"kestrilon4/+/state","qos":"0","datatype":"auto-detect",
  "broker":"k4broker","nl":false,"rap":true,"rh":0,"inputs":0,"wires":[["k4note"]]},
 {"id":"k4value","type":"mqtt in","z":"k4tab","topic":"kestrilon4/+/IN1","qos":"0","datatype":"auto-detect",
  "broker":"k4broker","nl":false,"rap":true,"rh":0,"inputs":0,"wires":[["k4note"]]},
 {"id":"k4note","type":"function","z":"k4tab","outputs":1,
  "func":"msg.payload = JSON.stringify({topic: msg.topic, type: typeof msg.payload, payload: msg.payload});\nreturn msg;",
  "wires":[["k4file"]]},
 {"id":"k4file","type":"file","z":"k4tab","filename":"$out","filenameType":"str","appendNewline":true,
  "createDir":false,"overwriteFile":"false","encoding":"none","wires":[]}
]
JSON
"$cache/node_modules/.bin/node-red" -u "$work" -s "$work/settings.js" >"$work/node-red.log" 2>&1 &
pids+=($!)
wait_port "$red_port" || { echo "Node-RED did not start"; tail "$work/node-red.log"; exit 1; }
sleep 2  # its MQTT nodes subscribe

mkdir -p "$work/archiv"
printf '%s\r\n' '[AD4ETH]' 'IP=127.0.0.1' "Port=$sim_port" 'Autopripojeni=1' 'Perioda=500' \
  '[ARCHIVACE]' "DatabaseDir=$work/archiv" 'RychlaActive=1' 'RychlaInterval=500' \
  '[MQTT]' 'Active=1' 'Host=127.0.0.1' "Port=$broker_port" 'TopicPrefix=kestrilon4/nodered' >"$work/kestrilon4.ini"
"$build/kestrilon-recorder" --settings "$work/kestrilon4.ini" >"$work/recorder.log" 2>&1 &
recorder=$!
pids+=($recorder)
sleep 6
kill -TERM "$recorder"
sleep 1

[ -s "$out" ] || { echo "Node-RED wrote nothing"; tail -n 5 "$work"/node-red.log "$work"/recorder.log; exit 1; }
node - "$out" <<'JS'
const lines = require("fs").readFileSync(process.argv[2], "utf8").trim().split("\n").map(JSON.parse);
const states = lines.filter(l => l.topic.endsWith("/state"));
const values = lines.filter(l => l.topic.endsWith("/IN1"));
const bad = [];
if (states.length < 5) bad.push(`only ${states.length} state messages`);
for (const s of states) {
  const p = s.payload;
  if (s.type !== "object") { bad.push(`state as ${s.type}`); break; }
  const in1 = p.inputs && p.inputs.IN1;
  if (!in1 || typeof in1.value !== "number" || typeof in1.unit !== "string" || typeof in1.alarm !== "boolean" ||
      typeof in1.error !== "boolean" || p.link !== "ok" || !/\.\d{3}[+-]\d\d:\d\d$/.test(p.time)) {
    bad.push(`state payload ${JSON.stringify(p)}`); break;
  }
}
if (values.length < 5) bad.push(`only ${values.length} IN1 messages`);
const types = [...new Set(values.map(v => v.type))];
console.log(`Node-RED received ${states.length} state messages (${states[0] && states[0].type}) and ` +
            `${values.length} IN1 values (${types.join(", ")})`);
if (bad.length) { console.log("FAILED: " + bad.join("; ")); process.exit(1); }
JS
