-- Loads an Ardour session with Ardour's own code and lists what it holds,
-- one line a thing, fields separated by tabs:
--
--   ardour7-lua ardour_list.lua SESSION_FOLDER SESSION_NAME
--
--   route  NAME  FLAGS  INPUTS  GAIN  TRIM  AZIMUTH  WIDTH  MUTED  SOLOED  PLAYLIST
--   playlist  ROUTE  NAME  USED(1|0)  REGIONS  POSITION  LENGTH  SOURCE_CHANNELS
--   range  START  END
--
-- Lengths and positions in frames. A session that does not load ends with
-- an error and no "end" line.
local session = load_session(arg[1], arg[2])
assert(session, "the session did not load")
local function out(...) print(table.concat({...}, "\t")) end

-- In the order the editor shows them: the master bus first, then by order.
local routes = {}
for route in session:get_routes():iter() do table.insert(routes, route) end
local function rank(route)
  return route:is_master() and -1 or route:presentation_info_ptr():order()
end
table.sort(routes, function(a, b) return rank(a) < rank(b) end)

for _, route in ipairs(routes) do
  local track = route:to_track()
  local azimuth, width = route:pan_azimuth_control(), route:pan_width_control()
  out("route", route:name(), route:presentation_info_ptr():flags(), route:n_inputs():n_audio(),
      string.format("%.17g", route:gain_control():get_value()),
      string.format("%.17g", route:trim_control():get_value()),
      azimuth:isnil() and "-" or string.format("%.17g", azimuth:get_value()),
      width:isnil() and "-" or string.format("%.17g", width:get_value()),
      route:muted() and 1 or 0, route:solo_control():self_soloed() and 1 or 0,
      track:isnil() and "-" or track:playlist():name())
  if not track:isnil() then
    for playlist in session:playlists():playlists_for_track(track):iter() do
      local regions = playlist:region_list()
      local position, length, channels = "-", "-", "-"
      for region in regions:iter() do
        position = region:position():samples()
        length = region:length():samples()
        channels = region:to_audioregion():n_channels()
      end
      out("playlist", route:name(), playlist:name(), playlist == track:playlist() and 1 or 0,
          regions:size(), position, length, channels)
    end
  end
end
local range = session:locations():session_range_location()
out("range", range:start():samples(), range:_end():samples())
out("end")
close_session()
