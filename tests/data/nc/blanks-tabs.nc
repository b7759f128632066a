N10 	 G0 	
N20   
