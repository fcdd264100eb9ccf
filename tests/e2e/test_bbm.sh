# The two BBM commands: each writes one met/hydro report as two "!AIBBM"
# sentences to its own port, stamped with the UTC minute, with sequential
# message identifiers 0 and 1 across the two commands, valid checksums, and
# byte for byte what the core builds for that minute.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
e2e_ports COM7 COM8
e2e_start_client
e2e_connect "$ID_PRESENTATION_PORT" COM7 38400 presentation
e2e_connect "$ID_NMEA2000_PORT" COM8 38400 nmea

REFERENCE=$E2E_BUILD/e2e/asm-bbm-reference.exe
[ -f "$REFERENCE" ] || e2e_die "no $REFERENCE: build the win64 preset"

before=$(date -u '+%-d %-H %-M')
e2e_drive menu "$ID_BBM_PRESENTATION" -- sleep 500 -- menu "$ID_BBM_NMEA2000"
after=$(date -u '+%-d %-H %-M')

sentences_in() { tr -d '\r' <"$(e2e_capture "$1")" | grep -c '^!AIBBM'; }
e2e_wait_for 10 test "$(sentences_in COM7)" -ge 2 -a "$(sentences_in COM8)" -ge 2 ||
  e2e_fail "the sentences did not arrive: $(sentences_in COM7) on COM7, $(sentences_in COM8) on COM8"
sleep 0.5 # anything more that should not come

# The checksum is the XOR of everything between "!" and "*".
checksum_ok() { [ "$(e2e_nmea "${1%%\**}")" = "$1" ]; }

# Day, hour and minute sit at bits 66 to 81 of the data (after DAC, FI,
# longitude, latitude and the accuracy flag); read them back from the
# six-bit characters.
stamp_of() {
  local data=$1 bits="" c v i
  for ((i = 0; i < 14; i++)); do
    c=$(printf '%d' "'${data:i:1}")
    v=$((c - 48))
    [ $v -gt 40 ] && v=$((v - 8))
    for ((b = 5; b >= 0; b--)); do bits+=$(((v >> b) & 1)); done
  done
  echo "$((2#${bits:0:10})) $((2#${bits:10:6})) $((2#${bits:66:5})) $((2#${bits:71:5})) $((2#${bits:76:6}))"
}

check_port() {
  local port=$1 seq=$2 capture lines first second
  capture=$(tr -d '\r' <"$(e2e_capture "$port")")
  mapfile -t lines <<<"$capture"
  e2e_eq "$port carries exactly one transmission" 2 "${#lines[@]}" || return
  first=${lines[0]} second=${lines[1]}
  e2e_check "$port first sentence checksum: $first" checksum_ok "$first"
  e2e_check "$port second sentence checksum: $second" checksum_ok "$second"
  e2e_check "$port first sentence form: $first" \
    grep -qE "^!AIBBM,2,1,$seq,1,8,[0-9:;<=>?@A-W\`a-w]{48},0\*[0-9A-F]{2}\$" <<<"$first"
  # The report's last four bytes, every one "not available", armour the same
  # way in every minute.
  e2e_eq "$port second sentence" "!AIBBM,2,2,$seq,1,8,uOwd00,4" "${second%\**}"
  local data=${first#!AIBBM,2,1,$seq,1,8,}
  local stamp
  stamp=$(stamp_of "$data")
  if [ "$stamp" != "1 31 $before" ] && [ "$stamp" != "1 31 $after" ]; then
    e2e_fail "$port: DAC, FI, day, hour, minute $stamp, UTC was $before .. $after"
  fi
  # Byte for byte what the core builds for that minute, CR LF included.
  local expected
  expected=$(timeout 30 wine "$REFERENCE" ${stamp#1 31 } "$seq" | od -An -c)
  e2e_eq "$port bytes as the core builds them" "$expected" "$(od -An -c <"$(e2e_capture "$port")")"
}

check_port COM7 0
check_port COM8 1
e2e_log "COM7: $(head -c 90 "$(e2e_capture COM7)" | tr -d '\r\n')"

# Nothing was reported to the user.
e2e_drive sleep 200 -- exists "Remote Connection Status" -- title main
e2e_eq "no box after BBM" "no" "${E2E_OUT[1]}"

e2e_finish
