# Sourced: a test LAN of network namespaces, a namespace for Kestrin bridged to peer namespaces of
# 198.51.100.0/24, so a sweep has hosts to find and nothing it sends can leave the machine.
#
# The caller sets, before lan_start:
#   LAN_PREFIX   namespace names: $LAN_PREFIX-sw-ID (the bridge), $LAN_PREFIX-lan-ID, $LAN_PREFIX-pN-ID
#   LAN_LINK     one letter that starts the veth names, so two users of this file never clash
#   LAN_ADDRESS  Kestrin's address in the LAN namespace (in 198.51.100.0/24)
#   PEERS        lines "host-number hardware-address name echo"; name "-" for none; echo 1: answers,
#                0: ignores every echo, u: rejects it with ICMP host-unreachable (iptables)
# and may set:
#   LAN_MASK_BITS     the prefix length of LAN_ADDRESS (24 unless set); the peers keep a /24
#   LAN_GATEWAY       host number of the peer that is the LAN namespace's default gateway (metric 100)
#   LAN_SIDE_ADDRESS  an address (a /24 of 203.0.113.0) on a second adapter of the LAN namespace,
#                     which the system lists before the LAN's: a virtual machine's or a second
#                     card's. Its other end leads nowhere.
#   LAN_SIDE_GATEWAY  host number in 203.0.113.0/24 of a default gateway for that adapter, on a
#                     route of higher metric (200) than the LAN's: the system routes by the LAN.
#   LAN_BARE_LINK     set to 1: one more adapter, up but without an address, listed before the
#                     others: an unplugged port as the system lists it (0.0.0.0, mask 0.0.0.0).
#   LAN_STALE         lines "host-number hardware-address": neighbour entries of the LAN namespace
#                     left stale, as a PC keeps them long after it last heard of a host; set
#                     afresh by lan_set_stale.
# lan_start sets LAN_NS, the namespace to run Kestrin in; lan_cleanup removes everything it made
# (call it from an exit trap). lan_start returns 1 when this machine cannot have such a LAN and 2
# when making it failed, with the reason in LAN_WHY either way.
LAN_NAMESPACES=()
LAN_ID=$$

# Goes through every step whatever fails, also under set -e: a namespace left behind outlives us.
lan_cleanup() {
  local ns pids
  for ns in "${LAN_NAMESPACES[@]}"; do
    pids=$(ip netns pids "$ns" 2>/dev/null || true)
    if [ -n "$pids" ]; then kill $pids 2>/dev/null || true; fi
  done
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  for ns in "${LAN_NAMESPACES[@]}"; do ip netns del "$ns" 2>/dev/null || true; done
  if [ -n "${LAN_NS:-}" ]; then rm -rf "/etc/netns/$LAN_NS"; fi
  LAN_NAMESPACES=()
}

lan_new_namespace() {
  ip netns add "$1" || return 1
  LAN_NAMESPACES+=("$1")
  ip -n "$1" link set lo up
}

# Joins namespace $1 to the bridge through a veth whose bridge end is $2; the inside end is eth0.
lan_join_bridge() {
  ip link add "$2" type veth peer name eth0 netns "$1" &&
    ip link set "$2" netns "$LAN_SW_NS" &&
    ip -n "$LAN_SW_NS" link set "$2" master br0 up
}

lan_start() {
  LAN_SW_NS="$LAN_PREFIX-sw-$LAN_ID" LAN_NS="$LAN_PREFIX-lan-$LAN_ID"
  local id="$LAN_ID" tag="$LAN_LINK" peer n mac name echo ns
  [ "$(id -u)" -eq 0 ] || { LAN_WHY="network namespaces need root"; return 1; }
  command -v ip >/dev/null || { LAN_WHY="iproute2 (ip) missing"; return 1; }
  if printf '%s\n' "${PEERS[@]}" | awk '$4 == "u"' | grep -q .; then
    command -v iptables >/dev/null || { LAN_WHY="iptables missing (scripts/install-deps.sh)"; return 1; }
  fi
  # The peers' names are laid over /etc/hosts inside the namespace, which needs that file to
  # exist (a bare chroot may have none); without it the names could not be had.
  [ -f /etc/hosts ] || { LAN_WHY="no /etc/hosts to lay the test's names over"; return 1; }
  LAN_WHY="cannot create network namespaces here"
  lan_new_namespace "$LAN_SW_NS" || return 1
  lan_new_namespace "$LAN_NS" || return 1
  LAN_WHY="no bridge devices in network namespaces here"
  ip -n "$LAN_SW_NS" link add br0 type bridge 2>/dev/null || return 1
  LAN_WHY="no veth devices here"
  ip link add "${tag}t-$id" type veth peer name "${tag}t2-$id" 2>/dev/null || return 1
  ip link del "${tag}t-$id"
  LAN_WHY="setting up the test LAN failed"
  ip -n "$LAN_SW_NS" link set br0 up || return 2
  if [ "${LAN_BARE_LINK:-}" = 1 ]; then
    # First of all, so its interface index is the lowest; its other end is on no bridge.
    ip -n "$LAN_NS" link add bare0 type veth peer name "${tag}b-$id" netns "$LAN_SW_NS" || return 2
    ip -n "$LAN_NS" link set bare0 up && ip -n "$LAN_SW_NS" link set "${tag}b-$id" up || return 2
  fi
  if [ -n "${LAN_SIDE_ADDRESS:-}" ]; then
    # Made in the namespace before eth0 arrives, so its interface index comes first.
    ip -n "$LAN_NS" link add side0 type veth peer name "${tag}s-$id" netns "$LAN_SW_NS" || return 2
    ip -n "$LAN_NS" addr add "$LAN_SIDE_ADDRESS/24" dev side0 || return 2
    ip -n "$LAN_NS" link set side0 up && ip -n "$LAN_SW_NS" link set "${tag}s-$id" up || return 2
  fi
  lan_join_bridge "$LAN_NS" "${tag}l-$id" || return 2
  ip -n "$LAN_NS" link set eth0 address 02:5a:00:00:00:0a || return 2
  ip -n "$LAN_NS" addr add "$LAN_ADDRESS/${LAN_MASK_BITS:-24}" dev eth0 || return 2
  ip -n "$LAN_NS" link set eth0 up || return 2

  mkdir -p "/etc/netns/$LAN_NS"
  {
    echo "127.0.0.1 localhost"
    for peer in "${PEERS[@]}"; do
      read -r n mac name echo <<<"$peer"
      [ "$name" = "-" ] || echo "198.51.100.$n $name"
    done
  } >"/etc/netns/$LAN_NS/hosts"
  # Names come from the hosts file alone: no resolver is asked.
  echo "hosts: files" >"/etc/netns/$LAN_NS/nsswitch.conf"
  : >"/etc/netns/$LAN_NS/resolv.conf"

  for peer in "${PEERS[@]}"; do
    read -r n mac name echo <<<"$peer"
    ns="$LAN_PREFIX-p$n-$id"
    lan_new_namespace "$ns" || return 2
    lan_join_bridge "$ns" "${tag}p$n-$id" || return 2
    ip -n "$ns" link set eth0 address "$mac" || return 2
    ip -n "$ns" addr add "198.51.100.$n/24" dev eth0 || return 2
    ip -n "$ns" link set eth0 up || return 2
    # The namespace's own setting: this peer is there (ARP answers) but ignores every echo.
    case "$echo" in
      1) ;;
      0) ip netns exec "$ns" sh -c 'echo 1 >/proc/sys/net/ipv4/icmp_echo_ignore_all' || return 2 ;;
      u) ip netns exec "$ns" iptables -A INPUT -p icmp --icmp-type echo-request \
           -j REJECT --reject-with icmp-host-unreachable || return 2 ;;
      *) LAN_WHY="peer $n: echo is 1, 0 or u, not '$echo'"; return 2 ;;
    esac
  done
  if [ -n "${LAN_GATEWAY:-}" ]; then
    ip -n "$LAN_NS" route add default via "198.51.100.$LAN_GATEWAY" dev eth0 metric 100 || return 2
  fi
  if [ -n "${LAN_SIDE_GATEWAY:-}" ]; then
    ip -n "$LAN_NS" route add default via "203.0.113.$LAN_SIDE_GATEWAY" dev side0 metric 200 || return 2
  fi
  if [ -n "${LAN_SIDE_ADDRESS:-}" ]; then
    local side eth
    side=$(ip -n "$LAN_NS" -o link show side0 | cut -d: -f1)
    eth=$(ip -n "$LAN_NS" -o link show eth0 | cut -d: -f1)
    [ "$side" -lt "$eth" ] || { LAN_WHY="side0 ($side) is not listed before eth0 ($eth)"; return 2; }
  fi
  if [ "${LAN_BARE_LINK:-}" = 1 ]; then
    local bare
    bare=$(ip -n "$LAN_NS" -o link show bare0 | cut -d: -f1)
    [ "$bare" -lt "$(ip -n "$LAN_NS" -o link show eth0 | cut -d: -f1)" ] || { LAN_WHY="bare0 is not listed first"; return 2; }
  fi
  LAN_WHY=""
}

# Puts the LAN_STALE entries (back) into the LAN namespace's neighbour table, stale.
lan_set_stale() {
  local entry n mac
  for entry in "${LAN_STALE[@]}"; do
    read -r n mac <<<"$entry"
    ip -n "$LAN_NS" neigh replace "198.51.100.$n" lladdr "$mac" dev eth0 nud stale || return 1
  done
}

# Refuses, inside the LAN namespace, to go on anywhere but there: lo and the test addresses only.
lan_inside() {
  local addresses expected
  addresses=$(ip -4 -o addr show | awk '{print $4}' | sort | tr '\n' ' ')
  expected=$(printf '%s\n' 127.0.0.1/8 "$LAN_ADDRESS/${LAN_MASK_BITS:-24}" ${LAN_SIDE_ADDRESS:+"$LAN_SIDE_ADDRESS/24"} | sort | tr '\n' ' ')
  [ "$addresses" = "$expected" ]
}
