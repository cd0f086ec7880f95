2001/10/13 10:20:00
yyyy/mm/dd hh24:mi:ss